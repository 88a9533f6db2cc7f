#include "ExcptSecurity.h"

#include "CryptoCodes.h"

namespace
{

using namespace FdCrypto;

const FdBase::SErrorTableRow kSecurityErrors[] = {
    {"CantOpenRegistryKey", "Impossible d'ouvrir la clé de registry des clés de cryptage", kSecCantOpenKey},
    {"CantReadKey", "Impossible de lire une clé de cryptage dans la registry", kSecCantReadValue},
    {"BadKeySize", "La clé de cryptage lue dans la registry n'a pas la bonne taille", kSecBadValueSize},
    {"CantDecodeKey", "Impossible de décoder la clé de cryptage", kSecBadKeyText},
    {"CantWriteKey", "Impossible d'écrire une clé de cryptage dans la registry", kSecCantWriteValue},
    {"BadKeyNumber", "Numéro de clé de cryptage invalide", kSecBadWhich},
    {"CantOpenFile", "Impossible d'ouvrir le fichier à décrypter", kSecCantOpenFile},
    {"CantReadFile", "Impossible de lire entièrement le fichier à décrypter", kSecShortRead},
    {"CantOpenEnvelope", "Impossible de décrypter la clé de session", kSecSessionKey},
    {"CantDecryptData", "Impossible de décrypter les données", kSecContent},
    {"BadFinalBlock", "Le dernier bloc des données décryptées est invalide", kSecFinalBlock},
    {"BadLength", "Une longueur des données cryptées est incohérente", kSecBadLength},
    {"EmptyFile", "Le fichier à décrypter est vide", kSecEmptyFile},
    {"", "", 0},
};

} // namespace

const char* CExcptSecurity::lpszGetClassName() const
{
    return "CExcptSecurity";
}

const FdBase::SErrorTableRow* CExcptSecurity::lpGetErrorTable() const
{
    return kSecurityErrors;
}
