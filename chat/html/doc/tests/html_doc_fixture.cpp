// A module that only carries RT_HTML resources for the loader tests.
extern "C" int HtmlDocFixtureMarker()
{
    return 1;
}
