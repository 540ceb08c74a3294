#pragma once
// The invoice reference that a payment or receipt allocation names in its
// details text.
#include <string>

namespace quillmere {

// Finds the first "PI" in `details` (failing that the first "PR", then "SI",
// then "SP": the first code found decides) and takes the text from there to
// the end; removes every "SI", then every "PI", "PR" and "SP" (each removal a
// single left-to-right pass that does not rescan what it joined), and trims
// characters 0 to 32 from both ends. Empty when none of the codes occurs.
// Case-sensitive. "Payment for PI 1234" gives "1234".
std::string PaymentReference(const std::string& details);

}  // namespace quillmere
