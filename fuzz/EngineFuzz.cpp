// The movie engine over arbitrary bytes: loading, playing frames (scripts
// included), jumping around, drawing and mixing the sounds the frames start
// must neither crash nor hang.
#include "flash/movie/Movie.h"
#include "flash/movie/StageRenderer.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qb::swf::LoadError error;
    auto def = qb::movie::MovieDef::Load(std::vector<uint8_t>(data, data + size), error);
    if (!def) return 0;
    qb::sound::Mixer mixer;
    std::vector<int16_t> mix(2 * 2048);
    qb::movie::Movie movie(def, &mixer, 1);
    qb::movie::StageRenderer renderer(size % 2 ? qb::render::Quality::Low : qb::render::Quality::High);
    qb::render::Image image;
    image.Resize(64, 48);
    for (int i = 0; i < 6; ++i) {
        movie.Tick();
        renderer.Render(movie, image);
        mixer.Mix(mix);
    }
    movie.SetLoop(false);
    movie.GotoFrame(movie.TotalFrames() - 1, true);
    movie.Tick();
    movie.GotoFrame(0, true);
    movie.Tick();
    renderer.Render(movie, image);
    mixer.Mix(mix);
    return 0;
}
