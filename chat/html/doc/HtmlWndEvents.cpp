#include "HtmlWndEvents.h"

int32_t CHtmlWndEventsBase::OnTag(std::string, std::string, HtmlMemBlock*, int32_t, std::string, CHtmlObject*)
{
    return -1;
}

int32_t CHtmlWndEventsBase::OnHandlerTag(std::string, std::string, HtmlMemBlock*, int32_t, std::string,
                                         CHtmlObject*)
{
    return -1;
}
