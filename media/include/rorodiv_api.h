// Marks the operations a game may call. The shared library exports these and nothing else.
#pragma once

#define ROR_API __attribute__((visibility("default")))
