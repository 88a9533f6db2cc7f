#include "PageReader.h"

#include "HtmlText.h"

#include <cctype>

namespace FdBrowserHost
{
namespace
{
bool boSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string strLower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool boStartsWithNoCase(const std::string& s, std::size_t at, const char* psz)
{
    for (std::size_t k = 0; psz[k]; ++k)
        if (at + k >= s.size() ||
            std::tolower(static_cast<unsigned char>(s[at + k])) != static_cast<unsigned char>(psz[k]))
            return false;
    return true;
}

// Elements whose content is text to skip up to their end tag.
bool boIsRawText(const std::string& name)
{
    static const char* const kRaw[] = {"script", "style",  "textarea", "title",
                                       "xmp",    "iframe", "noframes", "noembed"};
    for (const char* p : kRaw)
        if (name == p)
            return true;
    return false;
}

struct STag
{
    std::string strName; // lower-cased
    std::vector<SHtmlAttr> attrs;
    std::size_t offset = 0;
};

class CReader
{
public:
    CReader(const std::string& html, SPage* pPage, SPageError* pError)
        : m_s(html), m_page(*pPage), m_err(*pError)
    {
    }

    bool boRun()
    {
        if (m_s.size() > kMaxPageBytes)
            return boFail(kMaxPageBytes, "page too large");
        std::size_t i = 0;
        while (i < m_s.size())
        {
            const std::size_t lt = m_s.find('<', i);
            if (lt == std::string::npos)
                break;
            i = lt;
            if (m_s.compare(i, 4, "<!--") == 0)
            {
                const std::size_t end = m_s.find("-->", i + 4);
                i = end == std::string::npos ? m_s.size() : end + 3;
            }
            else if (m_s.compare(i, 2, "<!") == 0 || m_s.compare(i, 2, "<?") == 0)
            {
                const std::size_t end = m_s.find('>', i);
                if (end == std::string::npos)
                    return boFail(i, "unterminated declaration");
                i = end + 1;
            }
            else if (m_s.compare(i, 2, "</") == 0)
            {
                std::size_t j = i + 2;
                while (j < m_s.size() && std::isalnum(static_cast<unsigned char>(m_s[j])))
                    ++j;
                const std::string name = strLower(m_s.substr(i + 2, j - i - 2));
                const std::size_t end = m_s.find('>', j);
                if (end == std::string::npos)
                    return boFail(i, "unterminated end tag");
                if (name == "object" && !m_objects.empty())
                    m_objects.pop_back();
                i = end + 1;
            }
            else if (i + 1 < m_s.size() && std::isalpha(static_cast<unsigned char>(m_s[i + 1])))
            {
                STag tag;
                if (!boReadTag(&i, &tag))
                    return false;
                if (!boHandle(tag))
                    return false;
                if (boIsRawText(tag.strName))
                    i = nSkipRawText(i, tag.strName);
            }
            else
                ++i;
        }
        return true;
    }

private:
    bool boFail(std::size_t offset, const char* pszText)
    {
        m_err.offset = offset;
        m_err.strText = pszText;
        return false;
    }

    std::size_t nSkipRawText(std::size_t from, const std::string& name)
    {
        const std::string end = "</" + name;
        for (std::size_t k = m_s.find('<', from); k != std::string::npos; k = m_s.find('<', k + 1))
            if (boStartsWithNoCase(m_s, k, end.c_str()))
            {
                const std::size_t gt = m_s.find('>', k);
                return gt == std::string::npos ? m_s.size() : gt + 1;
            }
        return m_s.size();
    }

    // Reads "<name attr=value ...>" from *pi; leaves *pi after the '>'.
    bool boReadTag(std::size_t* pi, STag* pTag)
    {
        std::size_t i = *pi + 1;
        pTag->offset = *pi;
        const std::size_t nameStart = i;
        while (i < m_s.size() && std::isalnum(static_cast<unsigned char>(m_s[i])))
            ++i;
        pTag->strName = strLower(m_s.substr(nameStart, i - nameStart));
        for (;;)
        {
            while (i < m_s.size() && (boSpace(m_s[i]) || m_s[i] == '/'))
                ++i;
            if (i >= m_s.size())
                return boFail(pTag->offset, "unterminated tag");
            if (m_s[i] == '>')
                break;
            const std::size_t attrStart = i;
            while (i < m_s.size() && !boSpace(m_s[i]) && m_s[i] != '=' && m_s[i] != '>' && m_s[i] != '/')
                ++i;
            if (i - attrStart > kMaxAttrNameLength)
                return boFail(attrStart, "attribute name too long");
            SHtmlAttr attr;
            attr.strName = m_s.substr(attrStart, i - attrStart);
            std::size_t j = i;
            while (j < m_s.size() && boSpace(m_s[j]))
                ++j;
            if (j < m_s.size() && m_s[j] == '=')
            {
                i = j + 1;
                while (i < m_s.size() && boSpace(m_s[i]))
                    ++i;
                if (i >= m_s.size())
                    return boFail(pTag->offset, "unterminated tag");
                std::size_t valueStart;
                std::size_t valueEnd;
                if (m_s[i] == '"' || m_s[i] == '\'')
                {
                    const std::size_t close = m_s.find(m_s[i], i + 1);
                    if (close == std::string::npos)
                        return boFail(i, "unterminated quoted value");
                    valueStart = i + 1;
                    valueEnd = close;
                    i = close + 1;
                }
                else
                {
                    valueStart = i;
                    while (i < m_s.size() && !boSpace(m_s[i]) && m_s[i] != '>')
                        ++i;
                    valueEnd = i;
                }
                if (valueEnd - valueStart > kMaxAttrValueLength)
                    return boFail(valueStart, "attribute value too long");
                attr.strValue = strDecodeEntities(m_s.substr(valueStart, valueEnd - valueStart));
            }
            bool boRepeated = false;
            const std::string lower = strLower(attr.strName);
            for (const SHtmlAttr& a : pTag->attrs)
                if (strLower(a.strName) == lower)
                    boRepeated = true;
            if (!boRepeated && !attr.strName.empty())
            {
                if (pTag->attrs.size() >= kMaxAttributes)
                    return boFail(attrStart, "too many attributes");
                pTag->attrs.push_back(std::move(attr));
            }
        }
        *pi = i + 1;
        return true;
    }

    static const std::string* pFind(const std::vector<SHtmlAttr>& attrs, const char* pszName)
    {
        for (const SHtmlAttr& a : attrs)
            if (strLower(a.strName) == pszName)
                return &a.strValue;
        return nullptr;
    }

    bool boHandle(STag& tag)
    {
        if (tag.strName == "base")
        {
            const std::string* href = pFind(tag.attrs, "href");
            if (href && m_page.strBaseHref.empty())
                m_page.strBaseHref = *href;
        }
        else if (tag.strName == "embed" || tag.strName == "object")
        {
            if (m_page.elements.size() >= kMaxPlugElements)
                return boFail(tag.offset, "too many EMBED and OBJECT elements");
            SPlugElement e;
            e.eKind = tag.strName == "embed" ? EPlugKind::Embed : EPlugKind::Object;
            e.attrs = std::move(tag.attrs);
            e.iInsideObject = m_objects.empty() ? -1 : m_objects.back();
            e.offset = tag.offset;
            m_page.elements.push_back(std::move(e));
            if (tag.strName == "object")
            {
                if (m_objects.size() >= kMaxObjectDepth)
                    return boFail(tag.offset, "OBJECT elements nested too deep");
                m_objects.push_back(static_cast<int>(m_page.elements.size() - 1));
            }
        }
        else if (tag.strName == "param")
        {
            const std::string* name = pFind(tag.attrs, "name");
            if (m_objects.empty() || !name)
                return true;
            SPlugElement& obj = m_page.elements[static_cast<std::size_t>(m_objects.back())];
            if (obj.params.size() >= kMaxParams)
                return boFail(tag.offset, "too many PARAM elements");
            const std::string* value = pFind(tag.attrs, "value");
            const std::string* vt = pFind(tag.attrs, "vt");
            obj.params.push_back({*name, value ? *value : std::string(), vt ? strLower(*vt) : std::string()});
        }
        else if (tag.strName == "frame" || tag.strName == "iframe")
        {
            if (m_page.frames.size() >= kMaxFrameElements)
                return boFail(tag.offset, "too many FRAME and IFRAME elements");
            const std::string* name = pFind(tag.attrs, "name");
            const std::string* src = pFind(tag.attrs, "src");
            SFrameElement f;
            f.strName = name ? *name : std::string();
            f.strSrc = src ? *src : std::string();
            f.boIframe = tag.strName == "iframe";
            f.offset = tag.offset;
            m_page.frames.push_back(std::move(f));
        }
        return true;
    }

    const std::string& m_s;
    SPage& m_page;
    SPageError& m_err;
    std::vector<int> m_objects; // open OBJECT elements, innermost last
};
} // namespace

const std::string* SPlugElement::pAttr(const std::string& name) const
{
    const std::string lower = strLower(name);
    for (const SHtmlAttr& a : attrs)
        if (strLower(a.strName) == lower)
            return &a.strValue;
    return nullptr;
}

bool boReadPage(const std::string& html, SPage* pPage, SPageError* pError)
{
    SPage page;
    SPageError err;
    CReader reader(html, &page, &err);
    if (!reader.boRun())
    {
        *pError = err;
        return false;
    }
    *pPage = std::move(page);
    return true;
}
} // namespace FdBrowserHost
