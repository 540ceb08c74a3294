#include "wizard/WriteLog.h"

#include "platform/Files.h"

namespace quillmere {

void WriteLog(const std::string& path, const std::string& message) {
    AppendToFile(path, message + "\r\n");
}

}  // namespace quillmere
