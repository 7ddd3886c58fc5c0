#include "platform/WindowRegistry.h"

#include <cstddef>
#include <vector>

#include "platform/Window.h"

namespace {

std::vector<Window*>& slots() {
    static std::vector<Window*> registry;
    return registry;
}

}  // namespace

void registerWindow(Window* window) {
    std::vector<Window*>& registry = slots();
    for (Window*& slot : registry) {
        if (!slot) {
            slot = window;
            return;
        }
    }
    // Full: double the capacity (1 when empty); the window takes the last slot.
    const size_t capacity = registry.empty() ? 1 : registry.size() * 2;
    registry.resize(capacity, nullptr);
    registry.back() = window;
}

void unregisterWindow(Window* window) {
    std::vector<Window*>& registry = slots();
    bool othersRemain = false;
    for (Window*& slot : registry) {
        if (slot == window)
            slot = nullptr;
        else if (slot)
            othersRemain = true;
    }
    if (!othersRemain)
        std::vector<Window*>().swap(registry);
}

bool anyWindowRegistered() {
    return !slots().empty();
}

bool anyWindowActive() {
    for (const Window* slot : slots())
        if (slot && slot->isActive())
            return true;
    return false;
}

void frameAllWindows() {
    // Indexes, not iterators: onFrame may delete its window (the registry is
    // then released when it was the last) or open another one.
    for (size_t i = 0; i < slots().size(); ++i) {
        Window* window = slots()[i];
        if (window)
            window->onFrame();
    }
}

int32_t windowRegistryCapacity() {
    return static_cast<int32_t>(slots().size());
}

Window* windowRegistrySlot(int32_t index) {
    if (index < 0 || index >= windowRegistryCapacity())
        return nullptr;
    return slots()[static_cast<size_t>(index)];
}
