#pragma once
// Between the sources, which ask for renders on the host's video thread, and the render thread,
// which makes them. Plain code with no lock of its own and no Win32: the render thread's edge
// (source/RenderThread.cpp) holds its lock around every call, and the native tests drive it
// directly.
//
// A source wants the pixels of one set of inputs at a time: asking again replaces what it
// wanted, so requests fold and only the newest inputs wait. The render thread takes the inputs
// of the next source that waits, in turn after the one it served last, so a look waits for at
// most one render of every other look; one render serves every source that wants its inputs
// when it ends, and a render no source wants any longer is dropped. The last few complete
// renders are kept while two sources or more exist, so a source that asks for those inputs later
// (after the render thread began, a scene switch) takes one at once.
//
// Memory: each source holds at most one finished render it has not taken, the render thread
// makes one at a time, and kKept are kept for later sources; a render is at most
// sizing::kLargestArea pixels (16 MiB). Renders of one set of inputs are one object, shared.
#include <atomic>
#include <cstdint>
#include <vector>

#include "host/HostApi.h"

namespace gdip {
struct Calls;
}

// What a render is made from: the text and every look field the rasteriser reads, and the calls
// it makes them with. Renders of equal inputs give the same pixels.
struct RenderInputs {
    String text;
    String font;
    int fontSize = 0;
    bool bold = false, italic = false, underline = false;
    std::uint32_t color = 0;
    int textOpacity = 0;
    bool outline = false;
    float outlineSize = 0.0f;  // compared bit for bit
    std::uint32_t outlineColor = 0;
    int outlineOpacity = 0;
    std::uint32_t backgroundColor = 0;
    int backgroundOpacity = 0;
    const gdip::Calls* calls = nullptr;

    bool operator==(const RenderInputs& other) const noexcept;
    bool operator!=(const RenderInputs& other) const noexcept { return !(*this == other); }
};

// A finished render: width x height pixels (rows of width * 4 bytes), or no pixels at all when
// the render could not begin (no font); `complete` when every step succeeded. Counted
// references: it is freed with the last one. Its storage comes from the host's allocator.
class RenderedImage {
public:
    RenderedImage(int w, int h, void* bits, bool done) noexcept : width(w), height(h), pixels(bits), complete(done) {}
    virtual ~RenderedImage() = default;
    RenderedImage(const RenderedImage&) = delete;
    RenderedImage& operator=(const RenderedImage&) = delete;

    void AddRef() noexcept { refs.fetch_add(1, std::memory_order_relaxed); }
    void Release() noexcept {
        if (refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    static void* operator new(std::size_t bytes);
    static void operator delete(void* block) noexcept;

    const int width;
    const int height;
    void* const pixels;  // the host's texture calls take it as non-constant; they only copy it
    const bool complete;

private:
    std::atomic<long> refs{1};
};

// Holds one reference to a RenderedImage.
class ImageRef {
public:
    // A render that made nothing: no pixels, not complete. One object, never freed.
    static ImageRef Nothing() noexcept;

    ImageRef() noexcept = default;
    // Takes over the reference `image` was made with.
    explicit ImageRef(RenderedImage* image) noexcept : held(image) {}
    ImageRef(const ImageRef& other) noexcept : held(other.held) {
        if (held) held->AddRef();
    }
    ImageRef(ImageRef&& other) noexcept : held(other.held) { other.held = nullptr; }
    ImageRef& operator=(ImageRef other) noexcept {
        RenderedImage* old = held;
        held = other.held;
        other.held = old;
        return *this;
    }
    ~ImageRef() { reset(); }
    void reset() noexcept {
        if (held) held->Release();
        held = nullptr;
    }
    RenderedImage* get() const noexcept { return held; }
    RenderedImage* operator->() const noexcept { return held; }
    RenderedImage& operator*() const noexcept { return *held; }
    explicit operator bool() const noexcept { return held != nullptr; }

private:
    RenderedImage* held = nullptr;
};

class RenderBoard {
public:
    static constexpr std::size_t kKept = 4;

    // One per source, owned by it. `wanting` and `wanted` are only changed through Want,
    // Withdraw and Take, by the source's own thread, which may read them without the lock.
    struct Client {
        bool wanting = false;
        RenderInputs wanted;
        ImageRef ready;  // the render of `wanted`, not taken yet
    };

    void Add(Client& client);
    // Whatever the client wanted is no longer wanted; it is forgotten.
    void Remove(Client& client) noexcept;
    std::size_t Clients() const noexcept { return clients.size(); }

    // The client wants `inputs` rendered, in place of what it wanted. Whether the render thread
    // has a render to make for it (false when the render kept for later sources is of these
    // inputs: the client has it at once).
    bool Want(Client& client, const RenderInputs& inputs);
    // The client wants nothing rendered (its texture shows what it wanted again).
    void Withdraw(Client& client) noexcept;
    // The finished render of what the client wanted, if it has come; the client then wants
    // nothing.
    ImageRef Take(Client& client) noexcept;

    // The render thread: the inputs to render next, if any client waits for a render that is
    // not being made; the render counts as being made until Finish.
    bool NextJob(RenderInputs& job);
    // The render thread: the render of `job` ends, handed to every client that still wants its
    // inputs (none: it is dropped). Null: the render made nothing, which the clients take as
    // their render all the same, so it is not made again for the same inputs.
    void Finish(const RenderInputs& job, ImageRef image) noexcept;

    // No render is being made and none waits to be.
    bool Idle() const noexcept;
    // Finished renders held (each counted once), the kept one included.
    std::size_t ImagesHeld() const;

private:
    void Forget() noexcept;

    struct Kept {
        RenderInputs inputs;
        ImageRef image;
    };

    std::vector<Client*> clients;
    static constexpr std::size_t kNoneServed = ~std::size_t(0);
    std::size_t lastServed = kNoneServed;  // index into clients of the client the last job was for
    bool busy = false;           // a job is being rendered
    std::vector<Kept> kept;      // complete renders for later sources, the newest first
};
