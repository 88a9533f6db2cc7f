#include "MessageTexts.h"

#include "AnsiText.h"
#include "ParamList.h"

namespace MessageTexts
{
namespace
{
struct SDefault
{
    const char* lpszKey;
    const char* lpszText;
    unsigned uArguments;
};

const SDefault kDefaults[] = {
    {kszDlCmpt, "Veuillez patienter, chargement en cours...", 0},
    {kszErrTitle, "FDGAME - Erreur", 0},
    {kszErrExpnd,
     "Impossible de décompresser le fichier %s. Vérifiez que le programme %s n'est pas déjà lancé : si c'est "
     "le "
     "cas, fermez le puis cliquez sur Ok",
     2},
    {kszInstCmpt, "Le composant %s a besoin d'être installé sur votre machine.", 1},
    {kszInfTitle, "FDGAME - Informations", 0},
    {kszNotInst, "FDGAME n'est pas installé sur votre poste (ou est mal installé).", 0},
};

const SDefault* lpFind(const char* lpszKey)
{
    for (const SDefault& row : kDefaults)
    {
        if (boAnsiEqualNoCase(row.lpszKey, lpszKey))
            return &row;
    }
    return nullptr;
}
} // namespace

void vAddDefaults(CParamList& list)
{
    for (const SDefault& row : kDefaults)
        list.vAdd(row.lpszKey, row.lpszText);
}

const char* lpszDefault(const char* lpszKey)
{
    const SDefault* lpRow = lpFind(lpszKey);
    return lpRow ? lpRow->lpszText : nullptr;
}

unsigned uFormatArguments(const char* lpszKey)
{
    const SDefault* lpRow = lpFind(lpszKey);
    return lpRow ? lpRow->uArguments : 0;
}

bool boHasOnlyStringConversions(const char* lpszText, unsigned uExpected)
{
    if (!lpszText)
        return false;
    unsigned uFound = 0;
    for (const char* p = lpszText; *p; ++p)
    {
        if (*p != '%')
            continue;
        if (p[1] == '%')
            ++p;
        else if (p[1] == 's')
        {
            ++uFound;
            ++p;
        }
        else
            return false;
    }
    return uFound == uExpected;
}

const char* lpszGet(const CParamList& list, const char* lpszKey)
{
    const char* lpszText = list.lpszGetValue(lpszKey);
    if (!lpszText)
        return lpszDefault(lpszKey);
    const unsigned uArguments = uFormatArguments(lpszKey);
    // A page's format text with other conversions than the expected "%s": refused.
    if (uArguments > 0 && !boHasOnlyStringConversions(lpszText, uArguments))
        return lpszDefault(lpszKey);
    return lpszText;
}

std::string strFormat(const char* lpszFormat, const char* const* lpaszArgs, size_t ulArgs, size_t ulMax)
{
    std::string strOut;
    size_t ulNext = 0;
    for (const char* p = lpszFormat ? lpszFormat : ""; *p && strOut.size() < ulMax; ++p)
    {
        if (p[0] == '%' && p[1] == '%')
        {
            strOut += '%';
            ++p;
        }
        else if (p[0] == '%' && p[1] == 's')
        {
            const char* lpszArg = ulNext < ulArgs && lpaszArgs[ulNext] ? lpaszArgs[ulNext] : "";
            ++ulNext;
            strOut += lpszArg;
            ++p;
        }
        else
            strOut += *p;
    }
    if (strOut.size() > ulMax)
        strOut.resize(ulMax);
    return strOut;
}

} // namespace MessageTexts
