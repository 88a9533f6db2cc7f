#include "ExcptAcCopyRegister.h"

#include "ExceptionTableCheck.h"

#include <gtest/gtest.h>

TEST(ExcptAcCopyRegister, Table)
{
    EXPECT_TRUE(FdTest::ExceptionTableIs<CExcptAcCopyRegister>(
        "CExcptAcCopyRegister",
        {
            {5101, "CantDecompressCmpt",
             "La décompression des données du composant vers le fichier destination a échoué"},
            {5102, "CantRegisterCmpt", "Erreur au registering COM du fichier"},
            {5103, "CantOpenRegistryKey", "Erreur à l'ouverture d'une clé de registry"},
            {5104, "CantModifyRegistry", "Erreur à la modification de la registry"},
            {5105, "CantCreateSubdir",
             "Erreur à la création de l'arborescence des répertoires jusque vers le répertoire destination"},
        }));
}
