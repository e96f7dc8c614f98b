#include "flash/movie/DisplayObject.h"

#include "flash/movie/Clip.h"
#include "flash/swf/Reader.h"

namespace qb::movie {

PlaceRecord ReadPlaceRecord(const swf::Tag& tag) {
    swf::Reader r(tag.Body);
    PlaceRecord p;
    if (tag.Code == swf::tags::PlaceObject) {
        p.CharacterId = r.U16();
        p.Depth = r.U16();
        p.Matrix = r.ReadMatrix();
        if (!r.AtEnd()) p.Cx = r.ReadColorTransform(false);
        return p;
    }
    const uint8_t flags = r.U8();
    uint8_t flags2 = 0;
    if (tag.Code == swf::tags::PlaceObject3) flags2 = r.U8();
    p.Depth = r.U16();
    p.Move = flags & 0x01;
    if (tag.Code == swf::tags::PlaceObject3 && ((flags2 & 0x08) || ((flags2 & 0x10) && (flags & 0x02))))
        r.String();  // class name
    if (flags & 0x02) p.CharacterId = r.U16();
    if (flags & 0x04) p.Matrix = r.ReadMatrix();
    if (flags & 0x08) p.Cx = r.ReadColorTransform(true);
    if (flags & 0x10) p.Ratio = r.U16();
    if (flags & 0x20) p.Name = r.String();
    if (flags & 0x40) p.ClipDepth = r.U16();
    // Filters, blend modes and clip events follow; not drawn or run here.
    return p;
}

int ReadRemoveDepth(const swf::Tag& tag) {
    swf::Reader r(tag.Body);
    if (tag.Code == swf::tags::RemoveObject) r.U16();
    return r.U16();
}

std::string DisplayObject::Path() const {
    if (!Parent) return "_level0";
    return Parent->Path() + "." + Name;
}

}  // namespace qb::movie
