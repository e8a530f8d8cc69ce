#include "Exceptions.h"

std::string FormatMessage(const char* pattern, std::initializer_list<std::string> args)
{
    std::string out;
    auto arg = args.begin();
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && (p[1] == 's' || p[1] == 'd') && arg != args.end()) {
            out += *arg++;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}
