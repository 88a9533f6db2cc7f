#include "NavTexts.h"

#include "AnsiText.h"

namespace FdNav
{
namespace
{
const char* const kaszFrench[kTextCount] = {
    "Sélection des navigateurs",
    ("Nous avons détecté la présence sur votre ordinateur des navigateurs suivants compatibles avec ce "
     "site:"),
    "Ajouter",
    "Enlever",
    "Quitter",
    "Ok",
    "Navigateur",
    "Chemin vers le navigateur",
    ("L'installation nécessite la fermeture de vos navigateurs.\nCliquez sur Ok pour effectuer cette "
     "fermeture automatiquement et lancer l'installation."),
    "Fermeture des navigateurs",
};
const char* const kaszEnglish[kTextCount] = {
    "Browsers selection",
    "Please choose the browser(s) to be used with this program:",
    "Add",
    "Remove",
    "Quit",
    "Ok",
    "Browser",
    "Path to browser",
    ("Your browser(s) must be closed to begin the installation.\nClick Ok to close them automatically and "
     "begin the installation."),
    "Closing browsers",
};
} // namespace

bool boEnglish(const char* lpszLanguage)
{
    return lpszLanguage && boAnsiEqualNoCase(lpszLanguage, "U.S. English");
}

const char* lpszText(bool boEnglishTexts, size_t ulId)
{
    if (ulId >= kTextCount)
        return "";
    return boEnglishTexts ? kaszEnglish[ulId] : kaszFrench[ulId];
}
} // namespace FdNav
