// StopCheck: how a caller stops a long load or key part way. The work asks
// now and then and, told to stop, ends at once; the caller then acts (a
// server serves its cancel or time limit) without unwinding through the
// library, which it could not do safely.
#ifndef ZABRELO_COLLATION_STOPCHECK_H
#define ZABRELO_COLLATION_STOPCHECK_H

namespace zabrelo {

struct StopCheck {
    bool (*ask)(void* context);  // true: stop
    void* context;

    bool Asked() const { return ask(context); }
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_STOPCHECK_H
