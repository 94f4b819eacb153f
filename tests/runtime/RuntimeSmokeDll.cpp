// A DLL built like the plugin, for the start-up code's tests: a static object whose constructor
// and destructor are observable, and an exception thrown out of the DLL.
#include <stdexcept>
#include <string>

namespace {
int* g_destroyedFlag = nullptr;
struct Observed {
    std::string text = "constructed";
    ~Observed() {
        if (g_destroyedFlag) *g_destroyedFlag = 1;
    }
} g_observed;
}  // namespace

extern "C" __declspec(dllexport) const char* SmokeText() { return g_observed.text.c_str(); }
extern "C" __declspec(dllexport) void SmokeOnUnload(int* flag) { g_destroyedFlag = flag; }
extern "C" __declspec(dllexport) void SmokeThrow(const char* what) { throw std::runtime_error(what); }
