#include "app/info.h"

#include "app/texts.h"
#include "support/infobox.h"
#include "support/infowindow.h"

namespace app {

std::string infoTemplate() {
    return std::string("{ANWENDUNG}") +
           "Mit diesem Rename Tool (Quonabix) haben Sie die Möglichkeit,\r"
           "die Namen aller Dateien in einem Verzeichnisses einen \r"
           "einheitlichen Namen zu geben und neu zu Nummerieren.\r"
           "Eine typische Anwendung liegt im Bereich von Bilddateien.\r"
           "Zum Beispiel enthält ein Verzeichnis die Quelldateien:\r"
           "'DMG_3456.jpg', 'Bild_a.jpg' und 'IMG_2456.bmp'\r"
           "diese können nun auf einmal umbenannt werden zu:\r"
           " 'Tiere_001.jpg', 'Tiere_002.jpg' und 'Tiere_003.jpg'.\r"
           "Es muß keine Rücksicht auf die Anzahl der Stellen der \r"
           "Dateinamen oder der Groß- und Kleinschreibung genommen werden.\r"
           " \r"
           "{PGMVERSION}\r\n"
           "{COMPILE}{COPYRIGHT}{AUSSCHLUSS}{KRITIK}";
}

void Info() {
    const int token = support::yPgmCheck("#S", "Info", 0);
    // The window is titled with the product name alone, without the version.
    support::yWindowInfo(infoTemplate(), text::Product);
    support::yPgmCheck("#E", "Info", token);
}

}  // namespace app
