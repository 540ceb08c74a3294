#include "app/DriverBitness.h"

namespace quillmere {

namespace {

std::string Bits(int bits) {
    return std::to_string(bits) + "-bit";
}

int OtherBits(int bits) {
    return bits == 32 ? 64 : 32;
}

}  // namespace

std::optional<std::string> ArchitectureMismatchMessage(const std::string& sqlState,
                                                       int programBits) {
    if (sqlState != "IM014") {
        return std::nullopt;
    }
    return "The Sage ODBC driver for this version is " + Bits(OtherBits(programBits)) +
           ", and this is the " + Bits(programBits) + " wizard.\r\nPlease run the " +
           Bits(OtherBits(programBits)) + " wizard to export this company";
}

std::string ArchitectureMismatchLogLine(int programBits) {
    return "Login failed: the Sage ODBC driver is not " + Bits(programBits) +
           " (architecture mismatch); the " + Bits(OtherBits(programBits)) + " wizard is needed";
}

}  // namespace quillmere
