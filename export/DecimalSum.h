#pragma once
// An exact sum of numbers given as decimal texts, as a table writes them
// ("1234.5", "-0.25", "100", "1E20", "1.5E-7"): no floating point anywhere,
// so a sum of a million pennies is still a whole number of pennies.
#include <cstdint>
#include <string>
#include <string_view>

namespace quillmere {

class DecimalSum {
  public:
    // Adds the number that `text` holds; false, adding nothing, when the
    // text is not a number (an empty text is not one either).
    bool Add(std::string_view text);
    // Adds another sum.
    void Add(const DecimalSum& other);
    // Subtracts a number (false, subtracting nothing, for no number) or a sum.
    bool Subtract(std::string_view text);
    void Subtract(const DecimalSum& other);

    // The sum in plain notation with "." and at least `minPlaces` decimals
    // ("1234.50" for 2); no trailing zeros beyond them.
    std::string Text(int minPlaces = 2) const;
    bool IsZero() const { return Text(0) == "0"; }
    bool IsNegative() const { return Text(0).front() == '-'; }

    bool operator==(const DecimalSum& other) const { return Text(0) == other.Text(0); }

  private:
    // A signed magnitude: `digits` (no leading zeros, "" for zero) times
    // ten to the power of -scale.
    struct Exact {
        bool negative = false;
        std::string digits;
        int scale = 0;
    };
    static void Accumulate(Exact& into, Exact value);
    Exact Total() const;

    // Most texts are short with at most four decimals: they add up here in
    // ten-thousandths until the next one would overflow.
    std::int64_t small_ = 0;
    Exact large_;
};

// A decimal text with its sign turned ("-1.5" for "1.5", "2" for "-2").
std::string NegatedDecimal(std::string_view text);

}  // namespace quillmere
