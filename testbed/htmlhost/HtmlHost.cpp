// The renderer's test host: loads a page into a document and prints its
// element tree.
//
//   htmlhost [--module DLL] [--handover] [--offer-known] [--events] ADDRESS
//
// ADDRESS is a file path (FILE://...), a resource (res://#120, RES://NAME;
// of the module given, else of htmlhost itself: res://DEMO) or STR:// and
// the markup. --events also prints what the document tells its handler.
// Exit code: the load result (0 loaded, 1 read error, 2 out of memory,
// 3 resource not found), 64 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "HtmlDoc.h"
#include "HtmlTreeDump.h"
#include "HtmlWndEvents.h"

namespace
{
class PrintingHandler : public CHtmlWndEventsBase
{
public:
    int32_t OnTag(std::string name, std::string attributes, HtmlMemBlock*, int32_t length, std::string,
                  CHtmlObject*) override
    {
        std::printf("event tag %s [%s] content %d bytes\n", name.c_str(),
                    HtmlEscapeForDump(attributes).c_str(), int(length));
        return -1;
    }
    int32_t OnHandlerTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                         std::string frame, CHtmlObject* sender) override
    {
        return OnTag(name, attributes, content, length, frame, sender);
    }
    void OnTitle(std::string title, CHtmlObject*) override
    {
        std::printf("event title \"%s\"\n", HtmlEscapeForDump(title).c_str());
    }
    void OnLeaveView(std::string* kind, std::string* address, std::string, CHtmlObject*) override
    {
        std::printf("event leave %s \"%s\"\n", kind->c_str(), HtmlEscapeForDump(*address).c_str());
    }
    void PushHandler(const std::string& name, const std::string&, CHtmlObject*) override
    {
        std::printf("event handler \"%s\"\n", HtmlEscapeForDump(name).c_str());
    }
};

int Usage()
{
    std::fprintf(stderr, "usage: htmlhost [--module DLL] [--handover] [--offer-known] [--events] ADDRESS\n");
    return 64;
}
} // namespace

int main(int argc, char** argv)
{
    const char* moduleName = nullptr;
    const char* address = nullptr;
    int32_t handOver = 0;
    int32_t offerKnown = 0;
    bool events = false;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--module") == 0 && i + 1 < argc)
            moduleName = argv[++i];
        else if (std::strcmp(argv[i], "--handover") == 0)
            handOver = 1;
        else if (std::strcmp(argv[i], "--offer-known") == 0)
            offerKnown = 1;
        else if (std::strcmp(argv[i], "--events") == 0)
            events = true;
        else if (address == nullptr && argv[i][0] != '-')
            address = argv[i];
        else
            return Usage();
    }
    if (address == nullptr)
        return Usage();
    HMODULE module = nullptr;
    if (moduleName != nullptr)
    {
        // Only its resources are used.
        module = LoadLibraryExA(moduleName, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (module == nullptr)
        {
            std::fprintf(stderr, "htmlhost: cannot load %s (error %lu)\n", moduleName, GetLastError());
            return 1;
        }
    }
    PrintingHandler handler;
    int result = 0;
    {
        CHtmlDoc doc(module);
        std::string error;
        result = doc.Load(address, &error, events ? &handler : nullptr, handOver || offerKnown, offerKnown);
        if (result != 0)
            std::fprintf(stderr, "htmlhost: load result %d: %s\n", result, error.c_str());
        else
            std::fputs(HtmlDumpTree(doc).c_str(), stdout);
    }
    if (module != nullptr)
        FreeLibrary(module);
    return result;
}
