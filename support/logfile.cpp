#include "support/logfile.h"

#include "platform/files.h"
#include "platform/window.h"
#include "support/infobox.h"
#include "support/text.h"
#include "support/texts.h"

namespace support {

namespace {

int openForLog(const std::string& mode, const std::string& file) {
    if (toUpper(mode).find("#ADD") == std::string::npos) {
        return platform::fileOpen(file, platform::OpenMode::Create);
    }
    // A missing or empty log starts fresh; only a file with content is appended to.
    if (platform::fileSize(file) > 0) {
        const int handle = platform::fileOpen(file, platform::OpenMode::Append);
        if (handle != 0 && !platform::fileSeekEnd(handle)) {
            platform::fileClose(handle);
            return 0;
        }
        return handle;
    }
    return platform::fileOpen(file, platform::OpenMode::Create);
}

}  // namespace

int yLogFileWrite(const std::string& mode, const std::string& file,
                  const std::string& line, int showMessage) {
    const int handle = openForLog(mode, file);
    if (handle == 0) {
        if (showMessage != 0) yInfoBox(texts::LogTitle, texts::LogOpenFailed, platform::BoxOk);
        return 0;
    }
    const std::string text = replaceAll(line, "\\'", "\"", false) + "\r\n";
    const bool written = platform::fileWrite(handle, text);
    // A close that fails may have lost the data: that is no success either.
    const bool closed = platform::fileClose(handle);
    return written && closed ? 1 : 0;
}

}  // namespace support
