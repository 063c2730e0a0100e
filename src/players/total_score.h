#pragma once

#include <string>

namespace lexfray {

// A total as read from the player file, where a damaged record may hold anything: a value
// that is not a finite number counts as 0.
double TotalFromFile(double stored);

// The total that the write-back stores: never negative, never anything but a finite number.
double TotalToFile(double total);

// A total as the score column shows it: a blank sign position (or the minus sign) and the
// plain decimal digits, shown whole even when wider than the column; a value too long for
// the table line is shown in exponent form.
std::string TotalText(double total);

}  // namespace lexfray
