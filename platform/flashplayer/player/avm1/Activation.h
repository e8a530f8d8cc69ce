// The state of one running action block or function call.
#pragma once

#include "Interpreter.h"

namespace flash::avm1 {

struct Interpreter::Activation {
    std::shared_ptr<const std::vector<uint8_t>> code;
    size_t begin = 0;
    size_t end = 0;
    std::string originPath;           // the clip the code belongs to
    std::string targetPath;           // the current target, moved by SetTarget
    std::shared_ptr<ClipAnchor> originClip;   // those clips while they live
    std::shared_ptr<ClipAnchor> targetClip;
    bool targetValid = true;
    Value self;                       // `this`
    std::shared_ptr<Object> function; // the script function running (null: a frame's actions)
    std::shared_ptr<Object> locals;   // null outside functions
    std::vector<Value> registers = std::vector<Value>(4);
    // The constant pool in force; functions keep the one they were defined under.
    std::shared_ptr<const std::vector<std::string>> constants;
    struct Block {
        size_t end;       // where the block ends
        size_t resume;    // where execution goes on from there
        bool isWith;
        Value object;
    };
    std::vector<Block> blocks;        // open With and Try blocks
    size_t stackBase = 0;
    int skipActions = 0;              // WaitForFrame said: skip this many actions
    bool returned = false;
    Value returnValue;
};

// Thrown to abandon all running script: budget exhausted or an uncaught Throw.
struct AbortScript {};

}  // namespace flash::avm1
