// Steps of layers this system does not build (network, movies, 3D models and their sine
// table, the second streaming step and sound objects). Start-up, shutdown,
// the message pump and the window procedure call them at their places; they do nothing.
#pragma once

namespace ror {

// Network (HTTP tasks, connections, its notification window).
inline void ClearHttpTasks() {}
inline void EndNetwork() {}
inline void StepNetworkWindow() {}
inline void StepHttpTasks() {}
// Sound objects and streaming.
inline void ReleaseCurrentSoundObject() {}
inline void StepSoundStreamingSecond() {}
inline void NotifySoundLayer() {}
// Movies.
inline void PauseMovies() {}
inline void ResumeMovies() {}
inline void StepMoviesWhileInactive() {}
inline void ReleaseMovieSurfacesAndResume() {}
// 3D models and the maths layer's sine table.
inline void ReleaseModelTables() {}
inline void BuildSineTable() {}

}  // namespace ror
