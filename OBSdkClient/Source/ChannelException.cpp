#include "ChannelException.h"

namespace OBSdkClient
{

namespace
{

const FdBase::SErrorTableRow kTable[] = {
    {"Channel_CantChangeDestId", "Impossible de définir le destinataire de la channel",
     Channel_CantChangeDestId},
    {"Channel_CantSetAutoCnxParamters",
     "Impossible de définir les paramètres pour la reconnexion automatique", Channel_CantSetAutoCnxParamters},
    {"Channel_AutoCnxParametersChangeNotAllowed", "non utilisé", Channel_AutoCnxParametersChangeNotAllowed},
    {"ServerCnx_CantConnect", "Impossible de se connecter au serveur", ServerCnx_CantConnect},
    {"LPCCnx_Timeout", "Impossible de se connecter au Linkwell: timeout à la connexion", LPCCnx_Timeout},
    {"LPCCnx_CantConnect", "Impossible de se connecter au Linkwell (erreur réseau non précisée)",
     LPCCnx_CantConnect},
    {"LPCCnx_UnexpectedState", "Erreur inconnue", LPCCnx_UnexpectedState},
    {"", "", 0},
};

} // namespace

const FdBase::SErrorTableRow* CChannelException::lpGetErrorTable() const
{
    return kTable;
}

const FdBase::SErrorTableRow* CChannelException::lpGetTable()
{
    return kTable;
}

void vThrowChannel(uint32_t dwCode, const char* lpszFunction, const char* lpszFile, uint32_t dwLine)
{
    throw CChannelException(dwCode, lpszFunction, lpszFile, dwLine);
}

} // namespace OBSdkClient
