// The number at the start of a text, read the lenient way that the address
// check of the ping run relies on: "192.168.0.1 | router" reads 192.168, a
// host name reads 0. And that check itself.
#pragma once

#include <QString>

// Blanks, tabs and line feeds are skipped wherever they stand. Then an
// optional sign, digits with at most one full stop, and an optional exponent
// (E or D, optional sign, digits); or "&H"/"&O" and a hexadecimal or octal
// whole number. Reading stops at the first character that does not fit; a
// text that does not begin with a number reads as 0.
double leadingNumber(const QString& text);

// The ping run's check of an entry: true when its address part (the text
// before the first "|", blanks trimmed) is an IPv6 literal as the system
// reads it (basVesk::IsIpv6Literal), and otherwise when the entry reads as
// a number above 0.
bool numericEntry(const QString& entry);
