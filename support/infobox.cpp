#include "support/infobox.h"

#include "platform/process.h"
#include "platform/window.h"
#include "support/text.h"

namespace support {

int yInfoBox(const std::string& title, const std::string& text, int kind) {
    const int token = yPgmCheck("#S", "yInfoBox", 0);
    int result = 0;
    if (kind < 0) {
        // Console output shows the stored text as it stands, escapes included.
        platform::writeStdout(text);
    } else {
        result = platform::win().messageBox(title, yUnescape("", text), kind);
    }
    yPgmCheck("#E", "yInfoBox", token);
    return result;
}

std::string yUnescape(const std::string& /*unused*/, const std::string& text) {
    // The blank belongs to each sequence, so "\n" at the very end stays as typed.
    const std::string lines = replaceAll(text, "\\n ", "\r\n", false);
    return replaceAll(lines, "\\' ", "\"", false);
}

int yPgmCheck(const std::string& /*selector*/, const std::string& /*text*/, int token) {
    // Deliberately inert: callers hand the token back at exit and rely on nothing else.
    return token;
}

}  // namespace support
