// make demo's chat scene: the sample chat embedded in testbed/chatdemo's
// page, played in the browser host against the local IRC server while bob
// (ircclient.py) talks; prints what bob received, the host's log and the
// picture's path. Exit code 0 when ann's typed line reached bob.
#include "ChatScene.h"

#include "HostRunner.h"

#include <cstdio>
#include <string>

int main()
{
    const ChatDemo::SChatScene s = ChatDemo::playChatScene("/chatdemo/embed.htm", "demo",
                                                           FdHostTest::strProgramFolder() + "npverbolt.dll");
    if (!s.strError.empty())
    {
        std::printf("the scene did not run: %s\n", s.strError.c_str());
        return 1;
    }
    std::printf("--- what bob received (<<) and sent (>>):\n");
    std::string bob = s.strBob;
    std::size_t start = 0;
    while (start < bob.size())
    {
        std::size_t end = bob.find('\n', start);
        if (end == std::string::npos)
            end = bob.size();
        const std::string line = bob.substr(start, end - start);
        // The server's numeric replies (welcome, names) say nothing of the scene.
        const std::size_t word = line.find(' ', 3);
        const bool numeric = line.compare(0, 3, "<< ") == 0 && word != std::string::npos &&
                             line.size() > word + 4 && line[word + 4] == ' ' &&
                             line.find_first_not_of("0123456789", word + 1) == word + 4;
        if (!numeric)
            std::printf("%s\n", line.c_str());
        start = end + 1;
    }
    std::printf("--- the browser host's log (exit %ld):\n%s", s.lHostExit, s.strHostLog.c_str());
    std::string unixPath = s.strScreenshot.substr(2);
    for (char& c : unixPath)
        if (c == '\\')
            c = '/';
    std::printf("--- the picture: %s\n", unixPath.c_str());
    const bool reached = s.strBob.find("PRIVMSG #demo :hi bob") != std::string::npos;
    std::printf("ann's line %s bob\n", reached ? "reached" : "did not reach");
    return reached && s.lHostExit == 0 ? 0 : 1;
}
