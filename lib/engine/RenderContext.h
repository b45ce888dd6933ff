#pragma once
// What a caller hands the engine for one job: whether it draws for the
// screen or for paper, the image it draws a screen page on, the printer a
// print goes to, where page data files are written and where information
// messages go. The engine reaches nothing else, so two jobs with contexts
// of their own can be drawn at the same time on two threads.

#include <functional>
#include <string>

#include "engine/PageSequence.h"
#include "platform/Spooler.h"
#include "platform/Surface.h"

namespace zarvo {

// Screen: the form in red, the header's preview shift added; Paper: all black.
enum class RenderMode { Paper, Screen };

struct RenderContext {
    RenderMode mode = RenderMode::Paper;
    // Screen: sizes the page image to width x height pixels and returns the
    // surface that draws on it, valid until the next call; may be empty
    // when the caller binds a surface itself.
    std::function<Surface&(int width, int height)> image;
    // The spooler that print jobs go to (not owned) and its printer
    // (UTF-8); without a spooler every job is refused.
    Spooler* spooler = nullptr;
    std::string printer;
    // Where new pages and field records are written (not owned); without
    // one they are refused.
    PageSequence* pages = nullptr;
    // Shows an information message (UTF-8) about the screen page being
    // drawn; empty: such messages are dropped.
    std::function<void(const std::string& message)> info;
    // The folder (UTF-8) that picture file names in values are relative
    // to: a data file's; empty: the report's (test data).
    std::string pictureFolder;

    bool screen() const { return mode == RenderMode::Screen; }
};

// Prints on printer (UTF-8) of spooler (not owned), all black.
inline RenderContext paperContext(Spooler& spooler, std::string printer) {
    RenderContext context;
    context.spooler = &spooler;
    context.printer = std::move(printer);
    return context;
}

// Draws for the screen on the images image makes (empty when the caller
// binds a surface itself), information messages going to info (may be empty).
inline RenderContext screenContext(std::function<Surface&(int width, int height)> image = {},
                                   std::function<void(const std::string& message)> info = {}) {
    RenderContext context;
    context.mode = RenderMode::Screen;
    context.image = std::move(image);
    context.info = std::move(info);
    return context;
}

}  // namespace zarvo
