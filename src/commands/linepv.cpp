#include "quillard.h"

#include <cmath>

// Slope pair and length text of a horizontal segment from x = a to x = b.
// A zero difference counts as positive.
void linep(double a, double b, std::string& sx, std::string& sy, std::string& length)
{
    sx = towards(a, b) < 0 ? "-1" : "1";
    sy = "0";
    length.clear();
    fmtnum(std::fabs(b - a), length);
}

// The same for a vertical segment from y = a to y = b.
void linev(double a, double b, std::string& sx, std::string& sy, std::string& length)
{
    sx = "0";
    sy = towards(a, b) < 0 ? "-1" : "1";
    length.clear();
    fmtnum(std::fabs(b - a), length);
}
