#include "SuiteErrorText.h"

#include <cstdio>

namespace
{
constexpr uint32_t kTopBitsMask = 0xC0000000;
constexpr uint32_t kCategoryShift = 18;
constexpr uint32_t kCategoryMask = 0x3FF;
constexpr uint32_t kNumberMask = 0xFFFF;

struct SCategory
{
    const char* const* lppszTexts;
    uint32_t dwCount;
};

const char* const s_general[] = {
    "Erreur interne de la librairie",
    "Mémoire insuffisante",
    "Paramètre invalide",
    "Opération annulée",
};
const char* const s_files[] = {
    "Fichier introuvable",           "Impossible de créer le fichier",
    "Impossible de lire le fichier", "Impossible d'écrire le fichier",
    "Format de fichier invalide",
};
const char* const s_registry[] = {
    "Clé de registry introuvable",
    "Impossible de lire une valeur de la registry",
    "Impossible d'écrire une valeur dans la registry",
};
const char* const s_network[] = {
    "Connexion impossible",
    "Connexion perdue",
    "Délai d'attente dépassé",
};
const char* const s_components[] = {
    "Composant non installé",
    "Version du composant trop ancienne",
    "Impossible de créer le composant",
    "Impossible d'enregistrer le composant",
};

template <size_t N> constexpr SCategory category(const char* const (&texts)[N])
{
    return SCategory{texts, static_cast<uint32_t>(N)};
}

const SCategory s_categories[kSuiteErrorCategories] = {
    category(s_general), category(s_files), category(s_registry), category(s_network), category(s_components),
};
} // namespace

bool boGetSuiteErrorText(uint32_t dwCode, char* lpszBuffer, size_t ulSize)
{
    const uint32_t dwField = dwCode >> kCategoryShift & kCategoryMask;
    if ((dwCode & kTopBitsMask) == 0 || dwField < kSuiteCategoryBase)
        return false;
    if (ulSize == 0 || !lpszBuffer)
        return true;
    const uint32_t dwIndex = dwField - kSuiteCategoryBase;
    const uint32_t dwNumber = dwCode & kNumberMask;
    if (dwIndex >= kSuiteErrorCategories)
    {
        std::snprintf(lpszBuffer, ulSize,
                      "Catégorie de l'erreur %.8X non valide: categ=%ld, nombre de catégories=%ld !",
                      static_cast<unsigned>(dwCode), static_cast<long>(dwIndex),
                      static_cast<long>(kSuiteErrorCategories));
        return true;
    }
    const SCategory& cat = s_categories[dwIndex];
    if (dwNumber >= cat.dwCount)
    {
        std::snprintf(
            lpszBuffer, ulSize, "Code de l'erreur %.8X non valide: code=%ld, nombre d'erreurs maxi=%ld !",
            static_cast<unsigned>(dwCode), static_cast<long>(dwNumber), static_cast<long>(cat.dwCount));
        return true;
    }
    std::snprintf(lpszBuffer, ulSize, "%s", cat.lppszTexts[dwNumber]);
    return true;
}
