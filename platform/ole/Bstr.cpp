#include "Bstr.h"

#include "WideString.h"

BSTR BSTR::FromUtf8(std::string_view text)
{
    return BSTR(Utf8ToWide(text));
}

std::string BSTR::toUtf8() const
{
    return WideToUtf8(m_text);
}
