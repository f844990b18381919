// Movies shown in graphics: the records behind the public movie operations and the steps the
// message pump and shutdown run for them.
#pragma once
#include <cstdint>

#include "file/file_access.h"
#include "movie/movie_file.h"

namespace ror {

constexpr int32_t kMovieSlots = 64;

struct MovieRecord {
    int32_t inUse;
    int32_t graphic;  // the graphic that shows it
    FileValue source;
    MovieFile* file;
    MovieInfo info;
    int32_t sound;  // the sound track's sound handle, -1 without one
    int32_t soundRate;
    int32_t play;  // its play while the movie runs, -1 none
    int32_t playing;
    int32_t loop;
    int64_t shownFrame;   // the frame the graphic holds, -1 none
    uint64_t clockStart;  // the layer's clock (microseconds) at the movie's start, while it plays
    int64_t stoppedAt;    // the movie's time in microseconds while it does not play
};

struct MovieStateRecord {
    MovieRecord movies[kMovieSlots];
};
extern MovieStateRecord MovieState;

// Brings the picture of every playing movie to the frame due now; frames whose time has
// passed are decoded without being shown. Movies whose graphic is gone are closed.
void StepMovies();
// Closes every movie; shutdown calls it before graphics and sound go.
void CloseAllMovies();
// The movie's time now, in microseconds from its start.
int64_t MovieTimeNow(MovieRecord* movie);

}  // namespace ror
