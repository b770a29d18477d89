#pragma once
// Growable arrays of the host's utility library.
#include "AString.h"

#include <cstdint>
#include <vector>

template <typename T>
class AArray {
public:
    int GetSize() const { return static_cast<int>(v_.size()); }
    // Sets the element count; new elements are value-initialised. The growth
    // hint of the host's arrays has no meaning here.
    void SetSize(int count, int /*growBy*/ = -1) { v_.resize(count > 0 ? static_cast<size_t>(count) : 0); }
    // Stores value at index, enlarging the array as needed; negative indexes are ignored.
    void SetAtGrow(int index, const T& value) {
        if (index < 0) return;
        if (static_cast<size_t>(index) >= v_.size()) v_.resize(static_cast<size_t>(index) + 1);
        v_[static_cast<size_t>(index)] = value;
    }
    int Add(const T& value) { v_.push_back(value); return GetSize() - 1; }
    void Copy(const AArray& other) { v_ = other.v_; }
    void RemoveAll() { v_.clear(); }
    // Element access; the caller keeps the index inside [0, GetSize()).
    T& operator[](int index) { return v_[static_cast<size_t>(index)]; }
    const T& operator[](int index) const { return v_[static_cast<size_t>(index)]; }
    T* GetData() { return v_.data(); }
    const T* GetData() const { return v_.data(); }
    auto begin() const { return v_.begin(); }
    auto end() const { return v_.end(); }

private:
    std::vector<T> v_;
};

using AByteArray = AArray<uint8_t>;
using ADWordArray = AArray<uint32_t>;
using APtrArray = AArray<void*>;
using AStringArray = AArray<AString>;
