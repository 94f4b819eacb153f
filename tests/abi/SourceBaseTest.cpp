// Built against the host library's own names (TAVIK_HOST_HEADERS), the source's base hands each
// of the host's calls on to the function of this system's name.
#include <gtest/gtest.h>

#include <string>

#include "source/SourceBase.h"

namespace {

struct Probe : SourceBase {
    std::string calls;
    void RefreshFrame() override { calls += "RefreshFrame "; }
    void Advance(float seconds) override { calls += "Advance(" + std::to_string(static_cast<int>(seconds * 10)) + ") "; }
    void Draw(const Vect2& position, const Vect2& size) override {
        calls += "Draw(" + std::to_string(static_cast<int>(position.x + size.y)) + ") ";
    }
    Vect2 ReportSize() const override { return Vect2(5, 6); }
    void ReloadSettings() override { calls += "ReloadSettings "; }
    void ActivateSource() override { calls += "ActivateSource "; }
    void DeactivateSource() override { calls += "DeactivateSource "; }
};

TEST(SourceBase, HandsTheHostsCallsOnUnderOurNames) {
    Probe probe;
    ImageSource& host = probe;
    host.Preprocess();
    host.Tick(0.5f);
    host.Render(Vect2(1, 2), Vect2(3, 4));
    host.UpdateSettings();
    host.BeginScene();
    host.EndScene();
    EXPECT_EQ(probe.calls, "RefreshFrame Advance(5) Draw(5) ReloadSettings ActivateSource DeactivateSource ");
    const Vect2 size = host.GetSize();
    EXPECT_EQ(size.x, 5);
    EXPECT_EQ(size.y, 6);
}

}  // namespace
