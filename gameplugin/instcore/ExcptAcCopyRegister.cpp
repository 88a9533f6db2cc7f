#include "ExcptAcCopyRegister.h"

namespace
{
const FdBase::SErrorTableRow kAcCopyRegisterErrors[] = {
    {"CantDecompressCmpt", "La décompression des données du composant vers le fichier destination a échoué",
     kAcCopyCantDecompressCmpt},
    {"CantRegisterCmpt", "Erreur au registering COM du fichier", kAcCopyCantRegisterCmpt},
    {"CantOpenRegistryKey", "Erreur à l'ouverture d'une clé de registry", kAcCopyCantOpenRegistryKey},
    {"CantModifyRegistry", "Erreur à la modification de la registry", kAcCopyCantModifyRegistry},
    {"CantCreateSubdir",
     "Erreur à la création de l'arborescence des répertoires jusque vers le répertoire destination",
     kAcCopyCantCreateSubdir},
    {"", "", 0},
};
} // namespace

const char* CExcptAcCopyRegister::lpszGetClassName() const
{
    return "CExcptAcCopyRegister";
}

const FdBase::SErrorTableRow* CExcptAcCopyRegister::lpGetErrorTable() const
{
    return kAcCopyRegisterErrors;
}
