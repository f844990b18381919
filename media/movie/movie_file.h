// Ogg Theora movies read through the layer's streams: the picture track decoded with
// libtheora, frame after frame. The sound track is left to the sound layer, which reads the
// same file.
#pragma once
#include <cstdint>

#include "file/file_access.h"
#include "image/planar_picture.h"

namespace ror {

struct MovieReader {
    const StreamOps* ops;
    StreamValue stream;
};

struct MovieInfo {
    int32_t width, height;  // of the picture shown
    int32_t rateNumerator, rateDenominator;
    int64_t frames;    // frames of the picture track
    int32_t hasSound;  // the file carries a Vorbis track
};

struct MovieFile;

// Null with a log line when the data is not an Ogg file with a Theora track, or is damaged
// or cut off. The reader must stay valid until the file is closed; it is not closed with it.
MovieFile* OpenMovieFile(const MovieReader& reader, MovieInfo* info);
// Decodes the next frame: 1 with its picture in `picture` (when not null; valid until the
// next call), 0 at the end of the track, -1 on damaged data (with a log line).
int ReadMovieFrame(MovieFile* file, PlanarPicture* picture);
// The frames decoded since the start.
int64_t MovieFramesRead(const MovieFile* file);
// Goes back to the first frame. 0 / -1.
int RewindMovieFile(MovieFile* file);
void CloseMovieFile(MovieFile* file);

}  // namespace ror
