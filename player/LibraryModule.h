#pragma once
#include <memory>
#include <string>

namespace qb {

// A loaded code library whose functions are found by name; unloaded when
// the object goes away.
class LibraryModule {
public:
    virtual ~LibraryModule() = default;
    // Null when the library has no such function.
    virtual void* Proc(const char* name) = 0;
};

class LibraryLoader {
public:
    virtual ~LibraryLoader() = default;
    // Null when the file cannot be loaded.
    virtual std::unique_ptr<LibraryModule> Load(const std::string& path) = 0;
};

// The system's loader (LoadLibrary). Windows only.
LibraryLoader& SystemLibraryLoader();

}  // namespace qb
