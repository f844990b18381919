/// @file
/// Marks the operations a game may call. The shared library exports these and nothing else.
#pragma once

/// Marks a declaration as part of the layer's public interface (exported by the shared library).
#define ROR_API __attribute__((visibility("default")))
