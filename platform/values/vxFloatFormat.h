// The runtime's general number format, used wherever a number becomes text
// "as the platform writes it" (variant texts above all).
#pragma once

#include "platform/base/vxBase.h"
#include "platform/values/vxCurrency.h"

// The shortest text of value with at most Precision significant digits
// (1 .. 17), rounded to nearest. Fixed point while the decimal exponent lies
// in -4 .. Precision - 1 (0.0001 and 123456789012345 at 15 digits), else the
// exponent form: one digit, the fraction, "E", "-" for a negative exponent
// and the exponent without leading zeros ('1E20', '1.5E-7'). Trailing zeros
// and a bare separator are never written; -0 gives '0'. NaN and the
// infinities give 'NAN', 'INF' and '-INF'.
ustring FloatToStrGeneral(double value, int precision, char16_t decimalSeparator);

// A currency amount with up to four decimals, trailing zeros removed
// ('2.5', '-0.0001', '3'); never in exponent form.
ustring CurrToStrGeneral(Currency value, char16_t decimalSeparator);
