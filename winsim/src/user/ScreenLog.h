// The screens a program shows, one by one: `winsim run --screens DIR` (kEnvScreenLog). Whenever a thread
// publishes its windows and the set of visible top-level windows differs from the last one written, the
// screen is written as text and as a picture. Off (one test of a cached flag) without the variable.
#pragma once

namespace winsim
{

class Runtime;

class ScreenLog
{
public:
    static void Note(Runtime& rt);
};

} // namespace winsim
