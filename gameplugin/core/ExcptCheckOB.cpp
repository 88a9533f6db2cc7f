#include "ExcptCheckOB.h"

namespace
{
const FdBase::SErrorTableRow kCheckOBErrors[] = {
    {"OBNotInstalled", "Orbelle n'est pas installée correctement", kCheckOBNotInstalled},
    {"CantReadRegistryKey", "Impossible de lire une clé de registry", kCheckOBCantReadRegistryKey},
    {"CantReadRegistryData", "Impossible de lire la valeur d'une data de la registry",
     kCheckOBCantReadRegistryData},
    {"CantChangeDir", "Impossible de changer le répertoire courant par le répertoire de Orbelle",
     kCheckOBCantChangeDir},
    {"", "", 0},
};
} // namespace

const char* CExcptCheckOB::lpszGetClassName() const
{
    return "CExcptCheckOB";
}

const FdBase::SErrorTableRow* CExcptCheckOB::lpGetErrorTable() const
{
    return kCheckOBErrors;
}
