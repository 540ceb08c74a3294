#include "wizard/WriteLog.h"

#include "platform/Files.h"
#include "platform/SystemCodePage.h"

namespace quillmere {

void WriteLog(const std::string& path, const std::string& message) {
    AppendToFile(path, SystemCodePageFromUtf8(message) + "\r\n");
}

}  // namespace quillmere
