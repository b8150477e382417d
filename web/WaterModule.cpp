// The exports of the page's WebAssembly modules: one animation per module, driven by the page.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <new>
#include <string>

#include "water/WaterKernels.h"
#include "web/PageAnimation.h"

// Without exception support the library's nothrow new calls the throwing one, which aborts
// when memory runs out; the water's pages must come back as null instead, as the standard says.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size == 0 ? 1 : size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size == 0 ? 1 : size);
}

namespace {

// The longest text the page may hand over: far more than any address's tick list.
constexpr int32_t kLongestText = 1 << 20;

PageAnimation animation;
std::string text;
std::string message;
std::string hash;

} // namespace

extern "C" {

// The buffer for the picture's canvas pixels; null when the picture cannot be held.
EMSCRIPTEN_KEEPALIVE uint8_t* vellumar_prepare(int32_t width, int32_t height)
{
    return animation.Prepare(width, height);
}

EMSCRIPTEN_KEEPALIVE int32_t vellumar_start(double nowMs)
{
    return animation.Start(NsFromMilliseconds(nowMs)) ? 1 : 0;
}

// 1 when the canvas buffer holds a new frame.
EMSCRIPTEN_KEEPALIVE int32_t vellumar_advance(double nowMs)
{
    return animation.Advance(NsFromMilliseconds(nowMs)) ? 1 : 0;
}

// A buffer for `length` bytes of text from the page; null when the length is refused.
EMSCRIPTEN_KEEPALIVE char* vellumar_text(int32_t length)
{
    if (length < 0 || length > kLongestText)
        return nullptr;
    text.assign(static_cast<size_t>(length), '\0');
    return text.data();
}

// The tick list in the text buffer becomes the replay; 0 when it is not valid (see
// vellumar_message).
EMSCRIPTEN_KEEPALIVE int32_t vellumar_set_replay()
{
    return animation.SetReplay(text, message) ? 1 : 0;
}

// 1 once the whole replay has run.
EMSCRIPTEN_KEEPALIVE int32_t vellumar_replay_more(int32_t ticks)
{
    return animation.ReplayMore(ticks > 0 ? static_cast<uint32_t>(ticks) : 1u) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE uint32_t vellumar_replayed_frames()
{
    return animation.ReplayedFrames();
}

EMSCRIPTEN_KEEPALIVE const char* vellumar_frame_hash()
{
    hash = animation.FrameHash();
    return hash.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* vellumar_message()
{
    return message.c_str();
}

// 1 when this move of the mouse ends the saver.
EMSCRIPTEN_KEEPALIVE int32_t vellumar_mouse_moved(int32_t x, int32_t y)
{
    return animation.MouseMoveEnds(x, y) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void vellumar_mouse_forget()
{
    animation.ForgetMouse();
}

// Which arithmetic the water runs here.
EMSCRIPTEN_KEEPALIVE const char* vellumar_kernel()
{
    return BestWaterKernel() == WaterKernel::Simd128 ? "SIMD" : "portable";
}

} // extern "C"
