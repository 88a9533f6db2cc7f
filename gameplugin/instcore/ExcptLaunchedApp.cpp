#include "ExcptLaunchedApp.h"

namespace
{
// One named error: every launch failure comes down to a component that cannot run;
// the extra text of each exception tells which step failed.
const FdBase::SErrorTableRow kLaunchedAppErrors[] = {
    {"AppNotInstalled", "L'application n'est pas installée", kLaunchAppNotInstalled},
    {"", "", 0},
};
} // namespace

const char* CExcptLaunchedApp::lpszGetClassName() const
{
    return "CExcptLaunchedApp";
}

const FdBase::SErrorTableRow* CExcptLaunchedApp::lpGetErrorTable() const
{
    return kLaunchedAppErrors;
}
