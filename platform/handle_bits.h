// How the GDI object table and the window table turn a slot into a handle
// and back.
#pragma once

#include <cstdint>

namespace tavrin {

// A handle is (generation << 20) | (tag << 16) | slot. Each table has a tag
// of its own, so a GDI handle never decodes as a window handle or back, and
// the generation makes a stale handle fail once its slot is reused.
constexpr uint32_t kHandleSlots = 0x10000;
constexpr int kGenerationShift = 20;
constexpr uint32_t kGenerationMask =
    sizeof(uintptr_t) >= 8 ? 0xFFFFFFFFu : (1u << (32 - kGenerationShift)) - 1;

struct HandleBits {
    uint32_t slot = 0;
    uint32_t generation = 0;
};

inline uintptr_t EncodeHandle(uintptr_t tag, HandleBits bits) {
    return (static_cast<uintptr_t>(bits.generation) << kGenerationShift) | (tag << 16) | bits.slot;
}

// False when the value does not carry the tag.
inline bool DecodeHandle(uintptr_t value, uintptr_t tag, HandleBits* bits) {
    if (((value >> 16) & 0xF) != tag) return false;
    bits->slot = static_cast<uint32_t>(value & 0xFFFF);
    bits->generation = static_cast<uint32_t>(value >> kGenerationShift);
    return true;
}

// The generation a reused slot gets: wraps within the handle's bits and
// skips 0, which no live handle carries.
inline uint32_t NextGeneration(uint32_t generation) {
    uint32_t next = (generation + 1) & kGenerationMask;
    return next == 0 ? 1 : next;
}

}  // namespace tavrin
