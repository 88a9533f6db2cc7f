#include "NetAsyncException.h"

#include "ExceptionTableCheck.h"

#include <gtest/gtest.h>

using namespace OBSdkClient;

namespace
{

// Rows in their fixed order: 3110 and 3111 come before 3109.
TEST(NetAsyncException, Table)
{
    EXPECT_TRUE(FdTest::ExceptionTableIs<CNetAsyncException>(
        "CNetAsyncException",
        {
            {3101, "NetAsync_CantStartWSA",
             "Les services WSA ont refusé de démarrer : communication impossible"},
            {3102, "NetAsync_BufferOverRun",
             "La taille maximale du buffer d'envoi aurait été dépassée si l'opération avait été effectuée"},
            {3103, "NetAsync_BufferInsertionFailed",
             "L'insertion des données dans le buffer a echoué : cette insertion aurait causé un dépassement "
             "de la "
             "taille maximale du buffer"},
            {3104, "NetAsync_IncompleteSend", "Toutes les données n'ont pas pu être envoyées lors du send"},
            {3105, "NetClient_AsyncSelectFailed", "La socket n'a pas pu passer en mode asynchrone"},
            {3106, "NetAsync_InvalidWindowHandler",
             "Le handler de fenêtre donné en paramètre n'est pas valide"},
            {3107, "NetAsync_AlreadyConnected", "Tentative de connexion sur une socket déjà connectée"},
            {3108, "NetAsync_AlreadyListening", "Une socket d'écoute a déjà été ouverte sur ce port"},
            {3110, "NetServer_BindAddrInUse", "Adresse déjà utilisée par un autre bind"},
            {3111, "NetAsync_SocketCreationError", "Erreur lors de la création de la socket"},
            {3109, "NetAsync_ListenFailed", "Impossible d'écouter avec cette socket"},
        }));
    // The class's table is the one the socket layer hands out.
    EXPECT_EQ(CNetAsyncException::lpGetTable(), CNetAsyncException(0, nullptr, nullptr, 0).lpGetErrorTable());
}

TEST(NetAsyncException, ThrownWithItsOriginAndSocketError)
{
    EXPECT_TRUE(FdTest::ThrowsWithOrigin(
        [] { vThrowNetAsync(NetAsync_BufferOverRun, "CNetAsync::boSend", 42, 10055); }, "CNetAsyncException",
        {3102, "NetAsync_BufferOverRun", "CNetAsync::boSend", "NetAsync", 42, 10055}));
}

} // namespace
