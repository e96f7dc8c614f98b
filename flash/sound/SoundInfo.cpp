#include "flash/sound/SoundInfo.h"

namespace qb::sound {

SoundInfo ReadSoundInfo(swf::Reader& r) {
    SoundInfo info;
    const uint8_t flags = r.U8();
    info.SyncStop = flags & 0x20;
    info.NoMultiple = flags & 0x10;
    if (flags & 0x01) info.InPoint = r.U32();
    if (flags & 0x02) info.OutPoint = r.U32();
    if (flags & 0x04) info.LoopCount = r.U16();
    if (flags & 0x08) {
        const uint8_t points = r.U8();
        for (int i = 0; i < points && !r.Overrun(); ++i) {
            SoundInfo::EnvelopePoint p;
            p.Position = r.U32();
            p.Left = r.U16();
            p.Right = r.U16();
            if (!r.Overrun()) info.Envelope.push_back(p);
        }
    }
    return info;
}

}  // namespace qb::sound
