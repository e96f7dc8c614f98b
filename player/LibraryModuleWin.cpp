#include "player/LibraryModule.h"

#include <windows.h>

namespace qb {
namespace {

class WinModule final : public LibraryModule {
public:
    explicit WinModule(HMODULE h) : h_(h) {}
    ~WinModule() override { FreeLibrary(h_); }
    void* Proc(const char* name) override { return reinterpret_cast<void*>(GetProcAddress(h_, name)); }

private:
    HMODULE h_;
};

class WinLoader final : public LibraryLoader {
public:
    std::unique_ptr<LibraryModule> Load(const std::string& path) override {
        HMODULE h = LoadLibraryA(path.c_str());
        if (!h) return nullptr;
        return std::make_unique<WinModule>(h);
    }
};

}  // namespace

LibraryLoader& SystemLibraryLoader() {
    static WinLoader loader;
    return loader;
}

}  // namespace qb
