#include "platform/SimpleMapi.h"

#include "platform/Handle.h"

#include <mapi.h>

#include <memory>

namespace qb::win {

namespace {

// The mail library is looked for once per run and stays loaded until the
// program ends, as mail clients expect of their callers.
class MailLibrary {
public:
    static MailLibrary& Instance() {
        static MailLibrary library;
        return library;
    }
    LPMAPISENDMAIL Send() const { return send_; }

private:
    MailLibrary() {
        if (!Configured()) return;
        library_ = std::make_unique<UniqueLibrary>("MAPI32.DLL");
        send_ = reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(library_->Proc("MAPISendMail")));
    }

    // A system with a mail client says so in the registry.
    static bool Configured() {
        char value[8] = {};
        DWORD size = sizeof value;
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows Messaging Subsystem", 0, KEY_READ,
                          &key) != ERROR_SUCCESS)
            return false;
        DWORD type = 0;
        const bool ok = RegQueryValueExA(key, "MAPI", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                            ERROR_SUCCESS &&
                        type == REG_SZ && std::string(value) == "1";
        RegCloseKey(key);
        return ok;
    }

    std::unique_ptr<UniqueLibrary> library_;
    LPMAPISENDMAIL send_ = nullptr;
};

}  // namespace

unsigned long ComposeMailWithAttachment(HWND parent, const std::string& subject, const std::string& attachment) {
    const LPMAPISENDMAIL send = MailLibrary::Instance().Send();
    if (!send) return 1;
    std::string subjectText = subject, path = attachment, body;
    MapiFileDesc file{};
    file.nPosition = static_cast<ULONG>(-1);  // not placed in the body
    file.lpszPathName = path.data();
    MapiMessage message{};
    message.lpszSubject = subjectText.data();
    message.lpszNoteText = body.data();
    message.nFileCount = 1;
    message.lpFiles = &file;
    return send(0, reinterpret_cast<ULONG_PTR>(parent), &message, MAPI_DIALOG | MAPI_NEW_SESSION, 0);
}

}  // namespace qb::win
