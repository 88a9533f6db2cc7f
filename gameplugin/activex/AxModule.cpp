#include "AxModule.h"

#include "DiagIE.h"
#include "OBPPAX.h"

namespace
{
// Below HKCR\CLSID\{clsid}, beside InprocServer32, the ProgIDs and the description.
const FdCom::SRegValue kaExtra[] = {
    {"Programmable", nullptr, ""},
    {"Control", nullptr, ""},
    {"ToolboxBitmap32", nullptr, "%MODULE%, 101"},
    {"MiscStatus", nullptr, "0"},
    {"MiscStatus\\1", nullptr, "131473"},
    {"TypeLib", nullptr, "{BF5FFE47-ECDF-47ce-A207-57E747EE5365}"},
    {"Version", nullptr, "1.0"},
    {nullptr, nullptr, nullptr},
};

const FdCom::SClassEntry kaClasses[] = {
    {&CLSID_OBPPDiagIE, &CDiagIE::hrCreate, "OBPPDiagIE Class", "Feldane.OBPPDiagIE.1", "Feldane.OBPPDiagIE",
     "Apartment", 0, kaExtra},
};

const FdCom::SServerInfo kInfo = {kaClasses, 1, nullptr, nullptr, true};
} // namespace

const FdCom::SServerInfo& AxModule::info()
{
    return kInfo;
}
