#pragma once
// The error raised inside an engine: it carries the integer code the host
// boundary turns into a result (-3 job file missing, -4 plane start refused,
// -5 line write refused, -6 plane end refused, 0 folder, image or memory).
struct DriverError {
    int code;
};
