#include "source/RenderBoard.h"

#include <algorithm>
#include <cstring>
#include <new>

bool RenderInputs::operator==(const RenderInputs& o) const noexcept {
    // The text, the longest, last.
    return fontSize == o.fontSize && bold == o.bold && italic == o.italic && underline == o.underline &&
           color == o.color && textOpacity == o.textOpacity && outline == o.outline &&
           std::memcmp(&outlineSize, &o.outlineSize, sizeof outlineSize) == 0 && outlineColor == o.outlineColor &&
           outlineOpacity == o.outlineOpacity && backgroundColor == o.backgroundColor &&
           backgroundOpacity == o.backgroundOpacity && calls == o.calls && font == o.font && text == o.text;
}

void* RenderedImage::operator new(std::size_t bytes) {
    if (void* block = MainAllocator->_Allocate(bytes)) return block;
    throw std::bad_alloc();
}

void RenderedImage::operator delete(void* block) noexcept { MainAllocator->_Free(block); }

ImageRef ImageRef::Nothing() noexcept {
    static RenderedImage nothing(0, 0, nullptr, false);  // its own reference keeps it
    nothing.AddRef();
    return ImageRef(&nothing);
}

void RenderBoard::Add(Client& client) { clients.push_back(&client); }

void RenderBoard::Remove(Client& client) noexcept {
    const auto at = std::find(clients.begin(), clients.end(), &client);
    if (at == clients.end()) return;
    const auto index = static_cast<std::size_t>(at - clients.begin());
    clients.erase(at);
    // The turn stays where it was: with the client after the one served last.
    if (lastServed != kNoneServed && index <= lastServed)
        lastServed = clients.empty() ? kNoneServed : (lastServed + clients.size() - 1) % clients.size();
    client.wanting = false;
    client.ready.reset();
    if (clients.size() < 2) Forget();
}

bool RenderBoard::Want(Client& client, const RenderInputs& inputs) {
    client.ready.reset();
    client.wanted = inputs;
    client.wanting = true;
    for (const Kept& k : kept) {
        if (k.inputs == inputs) {
            client.ready = k.image;
            return false;
        }
    }
    return true;
}

void RenderBoard::Withdraw(Client& client) noexcept {
    client.wanting = false;
    client.ready.reset();
}

ImageRef RenderBoard::Take(Client& client) noexcept {
    if (!client.wanting || !client.ready) return ImageRef();
    client.wanting = false;
    ImageRef image = static_cast<ImageRef&&>(client.ready);
    client.ready.reset();
    return image;
}

bool RenderBoard::NextJob(RenderInputs& job) {
    if (busy || clients.empty()) return false;
    const std::size_t count = clients.size();
    const std::size_t first = lastServed < count ? lastServed + 1 : 0;
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t index = (first + step) % count;
        const Client& c = *clients[index];
        if (!c.wanting || c.ready) continue;
        job = c.wanted;
        lastServed = index;
        busy = true;
        return true;
    }
    return false;
}

void RenderBoard::Finish(const RenderInputs& job, ImageRef image) noexcept {
    busy = false;
    if (!image) image = ImageRef::Nothing();
    for (Client* c : clients)
        if (c->wanting && !c->ready && c->wanted == job) c->ready = image;
    if (image->complete && image->pixels && clients.size() >= 2) {
        try {
            for (auto at = kept.begin(); at != kept.end(); ++at) {
                if (at->inputs == job) {
                    kept.erase(at);
                    break;
                }
            }
            if (kept.size() == kKept) kept.pop_back();
            kept.insert(kept.begin(), Kept{job, static_cast<ImageRef&&>(image)});
        } catch (...) {
            Forget();  // no storage for the text: nothing is kept
        }
    }
}

bool RenderBoard::Idle() const noexcept {
    if (busy) return false;
    for (const Client* c : clients)
        if (c->wanting && !c->ready) return false;
    return true;
}

std::size_t RenderBoard::ImagesHeld() const {
    std::vector<const RenderedImage*> held;
    for (const Kept& k : kept) held.push_back(k.image.get());
    for (const Client* c : clients)
        if (c->ready) held.push_back(c->ready.get());
    std::sort(held.begin(), held.end());
    return static_cast<std::size_t>(std::unique(held.begin(), held.end()) - held.begin());
}

void RenderBoard::Forget() noexcept { kept.clear(); }
