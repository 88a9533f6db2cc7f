// IHtmlHost: what a document needs of its owner. It reads files and RT_HTML
// resources, knows the current directory and lends fonts, brushes and images
// when the document's handler doesn't. The view implements it over Windows
// files and the GDI caches; host tests fake it with fixed font metrics. The
// document holds no platform handle of its own: fonts, brushes and images are
// only the host's opaque pointers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "HtmlDC.h"
#include "HtmlFontDesc.h"
#include "HtmlMemBlock.h"

class CHtmlImageSource;
// Platform handles, declared as <windows.h> declares them.
struct HFONT__;
struct HBRUSH__;

class IHtmlHost
{
public:
    virtual ~IHtmlHost() = default;

    // Reads the whole file into a new block; onAllocated runs between the
    // allocation and the read. Returns 0, or 1 with the error text set, or 2
    // when the block can't be allocated (the block is then null).
    virtual int32_t ReadFile(const std::string& path, uint32_t maxSize, HtmlMemBlock* block, uint32_t* length,
                             std::string* errorText, const std::function<void()>& onAllocated) = 0;
    // The text of an RT_HTML resource (up to its first zero byte), found by
    // name, or by number when name is nullptr; module null is the program's
    // own. false when it doesn't exist.
    virtual bool ReadResource(void* module, const char* name, uint32_t id, std::string* text) = 0;
    // The process's current directory ("" when unknown).
    virtual std::string CurrentDirectory() = 0;

    virtual HFONT__* GetFont(const FontDesc& description) = 0;
    virtual void ReleaseFont(HFONT__* font) = 0;
    virtual HBRUSH__* GetBrush(uint32_t color) = 0;
    virtual void ReleaseBrush(HBRUSH__* brush) = 0;
    // The image of that name (file, or "res://NAME" of the module); null when it doesn't load.
    virtual CHtmlImageSource* GetImage(const std::string& name, void* module) = 0;
    virtual void ReleaseImage(CHtmlImageSource* image) = 0;
    // Natural size of an image (0 x 0 when unknown).
    virtual void GetImageSize(CHtmlImageSource* image, int32_t* width, int32_t* height) = 0;
    // Frame count of an animated image (0 for a still one) with its delay.
    virtual int32_t GetImageFrames(CHtmlImageSource* image, uint32_t* delayMs) = 0;
    virtual bool IsImageTransparent(CHtmlImageSource* image) = 0;
    virtual std::unique_ptr<CHtmlImageBackdrop> NewBackdrop() = 0;
};

// A host that lends nothing: no file or resource reads, no current
// directory, no fonts, brushes or images. A document without a host of its
// own uses it (strings still load); other hosts derive from it and override
// what they lend.
class CHtmlBareHost : public IHtmlHost
{
public:
    int32_t ReadFile(const std::string& path, uint32_t maxSize, HtmlMemBlock* block, uint32_t* length,
                     std::string* errorText, const std::function<void()>& onAllocated) override;
    bool ReadResource(void* module, const char* name, uint32_t id, std::string* text) override;
    std::string CurrentDirectory() override;

    HFONT__* GetFont(const FontDesc& description) override;
    void ReleaseFont(HFONT__* font) override;
    HBRUSH__* GetBrush(uint32_t color) override;
    void ReleaseBrush(HBRUSH__* brush) override;
    CHtmlImageSource* GetImage(const std::string& name, void* module) override;
    void ReleaseImage(CHtmlImageSource* image) override;
    void GetImageSize(CHtmlImageSource* image, int32_t* width, int32_t* height) override;
    int32_t GetImageFrames(CHtmlImageSource* image, uint32_t* delayMs) override;
    bool IsImageTransparent(CHtmlImageSource* image) override;
    std::unique_ptr<CHtmlImageBackdrop> NewBackdrop() override;
};
