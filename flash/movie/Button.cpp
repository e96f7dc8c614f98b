#include "flash/movie/Button.h"

#include "flash/swf/Reader.h"

namespace qb::movie {
namespace {

// Filters are not drawn, but their list sits between a part's colour
// transform and its blend mode, so each is stepped over by its size.
void SkipFilters(swf::Reader& r) {
    const unsigned count = r.U8();
    for (unsigned i = 0; i < count && !r.Overrun(); ++i) {
        switch (r.U8()) {
            case 0: r.Skip(23); break;  // drop shadow
            case 1: r.Skip(9); break;   // blur
            case 2: r.Skip(15); break;  // glow
            case 3: r.Skip(27); break;  // bevel
            case 4:                     // gradient glow
            case 7:                     // gradient bevel
                r.Skip(size_t{r.U8()} * 5 + 19);
                break;
            case 5: {  // convolution
                const size_t cells = size_t{r.U8()} * r.U8();
                r.Skip(8 + cells * 4 + 5);
                break;
            }
            case 6: r.Skip(80); break;  // colour matrix
            default: r.Skip(r.Remaining() + 1); return;  // unknown size: the list cannot be followed
        }
    }
}

}  // namespace

ButtonDef ReadButton(swf::Reader& r, int version) {
    ButtonDef button;
    if (version >= 2) r.U8(), r.U16();  // menu flag, where the scripts start
    for (;;) {
        const uint8_t flags = r.U8();
        if (flags == 0 || r.Overrun()) break;
        ButtonDef::Part part;
        part.CharacterId = r.U16();
        part.Depth = r.U16();
        part.Matrix = r.ReadMatrix();
        if (version >= 2) {
            part.Cx = r.ReadColorTransform(true);
            if (flags & 0x10) SkipFilters(r);
            if (flags & 0x20) r.U8();  // blend mode
        }
        if (r.Overrun()) break;
        if (flags & 0x01) button.Up.push_back(part);
    }
    return button;
}

void ReadButtonSounds(swf::Reader& r, ButtonDef& button) {
    for (ButtonDef::Sound& s : button.Sounds) {
        const uint16_t id = r.U16();
        ButtonDef::Sound read{id, {}};
        if (id) read.Info = sound::ReadSoundInfo(r);
        if (r.Overrun()) return;
        s = read;
    }
}

}  // namespace qb::movie
