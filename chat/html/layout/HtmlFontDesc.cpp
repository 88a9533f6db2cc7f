#include "HtmlFontDesc.h"

bool operator==(const FontDesc& a, const FontDesc& b)
{
    return a.height == b.height && a.weight == b.weight && a.italic == b.italic &&
           a.underline == b.underline && a.strikeOut == b.strikeOut && a.face == b.face;
}

bool operator!=(const FontDesc& a, const FontDesc& b)
{
    return !(a == b);
}

FontDesc defaultDocumentFont()
{
    FontDesc d;
    d.height = 18;
    return d;
}
