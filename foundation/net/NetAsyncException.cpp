#include "NetAsyncException.h"

namespace FdNet
{

namespace
{

// Source file name carried by every exception of the socket layer.
const char kSourceFile[] = "NetAsync";

const FdBase::SErrorTableRow kTable[] = {
    {"NetAsync_CantStartWSA", "Les services WSA ont refusé de démarrer : communication impossible",
     NetAsync_CantStartWSA},
    {"NetAsync_BufferOverRun",
     "La taille maximale du buffer d'envoi aurait été dépassée si l'opération avait été effectuée",
     NetAsync_BufferOverRun},
    {"NetAsync_BufferInsertionFailed",
     "L'insertion des données dans le buffer a echoué : cette insertion aurait causé un dépassement de la "
     "taille maximale du buffer",
     NetAsync_BufferInsertionFailed},
    {"NetAsync_IncompleteSend", "Toutes les données n'ont pas pu être envoyées lors du send",
     NetAsync_IncompleteSend},
    {"NetClient_AsyncSelectFailed", "La socket n'a pas pu passer en mode asynchrone",
     NetClient_AsyncSelectFailed},
    {"NetAsync_InvalidWindowHandler", "Le handler de fenêtre donné en paramètre n'est pas valide",
     NetAsync_InvalidWindowHandler},
    {"NetAsync_AlreadyConnected", "Tentative de connexion sur une socket déjà connectée",
     NetAsync_AlreadyConnected},
    {"NetAsync_AlreadyListening", "Une socket d'écoute a déjà été ouverte sur ce port",
     NetAsync_AlreadyListening},
    {"NetServer_BindAddrInUse", "Adresse déjà utilisée par un autre bind", NetServer_BindAddrInUse},
    {"NetAsync_SocketCreationError", "Erreur lors de la création de la socket", NetAsync_SocketCreationError},
    {"NetAsync_ListenFailed", "Impossible d'écouter avec cette socket", NetAsync_ListenFailed},
    {"", "", 0},
};

} // namespace

const FdBase::SErrorTableRow* CNetAsyncException::lpGetErrorTable() const
{
    return kTable;
}

const FdBase::SErrorTableRow* CNetAsyncException::lpGetTable()
{
    return kTable;
}

void vThrowNetAsync(uint32_t dwCode, const char* lpszFunction, uint32_t dwLine, uint32_t dwWin32Error)
{
    throw CNetAsyncException(dwCode, lpszFunction, kSourceFile, dwLine, nullptr, dwWin32Error);
}

} // namespace FdNet
