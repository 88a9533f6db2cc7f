#include "HtmlHost.h"

int32_t CHtmlBareHost::ReadFile(const std::string&, uint32_t, HtmlMemBlock* block, uint32_t* length,
                                std::string* errorText, const std::function<void()>&)
{
    *block = nullptr;
    *length = 0;
    *errorText = "File error";
    return 1;
}

bool CHtmlBareHost::ReadResource(void*, const char*, uint32_t, std::string*)
{
    return false;
}

std::string CHtmlBareHost::CurrentDirectory()
{
    return {};
}

HFONT__* CHtmlBareHost::GetFont(const FontDesc&)
{
    return nullptr;
}

void CHtmlBareHost::ReleaseFont(HFONT__*) {}

HBRUSH__* CHtmlBareHost::GetBrush(uint32_t)
{
    return nullptr;
}

void CHtmlBareHost::ReleaseBrush(HBRUSH__*) {}

CHtmlImageSource* CHtmlBareHost::GetImage(const std::string&, void*)
{
    return nullptr;
}

void CHtmlBareHost::ReleaseImage(CHtmlImageSource*) {}

void CHtmlBareHost::GetImageSize(CHtmlImageSource*, int32_t* width, int32_t* height)
{
    *width = 0;
    *height = 0;
}

int32_t CHtmlBareHost::GetImageFrames(CHtmlImageSource*, uint32_t* delayMs)
{
    *delayMs = 0;
    return 0;
}

bool CHtmlBareHost::IsImageTransparent(CHtmlImageSource*)
{
    return false;
}

std::unique_ptr<CHtmlImageBackdrop> CHtmlBareHost::NewBackdrop()
{
    return nullptr;
}
