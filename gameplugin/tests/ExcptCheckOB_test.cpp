#include "ExcptCheckOB.h"

#include "ExceptionTableCheck.h"

#include <gtest/gtest.h>

TEST(ExcptCheckOB, Table)
{
    EXPECT_TRUE(FdTest::ExceptionTableIs<CExcptCheckOB>(
        "CExcptCheckOB",
        {
            {5001, "OBNotInstalled", "Orbelle n'est pas installée correctement"},
            {5002, "CantReadRegistryKey", "Impossible de lire une clé de registry"},
            {5003, "CantReadRegistryData", "Impossible de lire la valeur d'une data de la registry"},
            {5004, "CantChangeDir",
             "Impossible de changer le répertoire courant par le répertoire de Orbelle"},
        }));
}

TEST(ExcptCheckOB, ThrownWithItsOrigin)
{
    EXPECT_TRUE(FdTest::ThrowsWithOrigin(
        []
        { throw CExcptCheckOB(kCheckOBNotInstalled, "CPlugInst::boCheckOBInstalled", "PlugInst_inits", 1); },
        "CExcptCheckOB", {5001, "OBNotInstalled", "CPlugInst::boCheckOBInstalled", "PlugInst_inits", 1, 0}));
}
