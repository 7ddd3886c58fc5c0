#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

// The program's growable array. Appending and removing either succeed or leave
// the array exactly as it was; element access clamps the index into range, so
// callers check the range themselves (an empty array has no element).
template <typename T>
class DynArray {
public:
    bool append(const T& item) {
        try {
            items.push_back(item);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    bool append(T&& item) {
        try {
            items.push_back(std::move(item));
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    // Makes room for count elements in all; false (the array unchanged) when
    // there is no memory for it.
    bool reserve(size_t count) {
        try {
            items.reserve(count);
        } catch (const std::bad_alloc&) {
            return false;
        } catch (const std::length_error&) {
            return false;
        }
        return true;
    }

    // Takes over the elements of from, without copying them; from is left empty.
    void assign(std::vector<T>&& from) {
        items = std::move(from);
        from.clear();
    }

    // Removes the element at index, handing it back through removed when given.
    bool removeAt(int32_t index, T* removed = nullptr) {
        if (index < 0 || index >= count())
            return false;
        if (removed)
            *removed = std::move(items[index]);
        items.erase(items.begin() + index);
        if (items.empty())
            std::vector<T>().swap(items);
        return true;
    }

    T& operator[](int32_t index) { return items[clampIndex(index)]; }
    const T& operator[](int32_t index) const { return items[clampIndex(index)]; }

    int32_t count() const { return static_cast<int32_t>(items.size()); }
    bool empty() const { return items.empty(); }
    void clear() { std::vector<T>().swap(items); }

    T* data() { return items.data(); }
    const T* data() const { return items.data(); }
    typename std::vector<T>::iterator begin() { return items.begin(); }
    typename std::vector<T>::iterator end() { return items.end(); }
    typename std::vector<T>::const_iterator begin() const { return items.begin(); }
    typename std::vector<T>::const_iterator end() const { return items.end(); }

private:
    size_t clampIndex(int32_t index) const {
        if (index < 0)
            return 0;
        if (index >= count())
            return items.size() - 1;
        return static_cast<size_t>(index);
    }

    std::vector<T> items;
};
