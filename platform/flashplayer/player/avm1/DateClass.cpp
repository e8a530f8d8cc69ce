// The Date class: milliseconds since 1970 (UTC) behind every instance, read and set
// through local time or UTC fields. `new Date()` is the wall clock at the movie's
// start moved on by movie time, so a clock in a movie runs with the movie.
#include "DateClass.h"

#include "Interpreter.h"

#include <cmath>
#include <ctime>
#include <limits>
#include <string>

namespace flash::avm1 {

namespace {

std::shared_ptr<Object> native(NativeFunction fn)
{
    auto o = std::make_shared<Object>(true);
    o->native = std::move(fn);
    return o;
}

Value arg(const std::vector<Value>& args, size_t i) { return i < args.size() ? args[i] : Value{}; }

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMaxTime = 8.64e15;

struct DateState : NativeState {
    double ms = kNaN;
};

DateState* stateOf(const Value& self)
{
    return self.type == Value::Type::Object ? dynamic_cast<DateState*>(self.object->state.get()) : nullptr;
}

// Broken-down time: year, month 0-11, day 1-31, hours, minutes, seconds, ms, weekday.
struct Fields {
    double year, month, day, hours, minutes, seconds, ms, weekday;
};

double daysFromCivil(double y, double m, double d)   // m 1-12
{
    y -= m <= 2;
    const double era = std::floor(y / 400);
    const double yoe = y - era * 400;
    const double mp = std::fmod(m + 9, 12);
    const double doy = std::floor((153 * mp + 2) / 5) + d - 1;
    const double doe = yoe * 365 + std::floor(yoe / 4) - std::floor(yoe / 100) + doy;
    return era * 146097 + doe - 719468;
}

double makeTime(double year, double month, double day, double h, double mi, double s, double ms)
{
    for (double v : {year, month, day, h, mi, s, ms})
        if (!std::isfinite(v))
            return kNaN;
    const double y = year + std::floor(month / 12);
    const double m = std::fmod(std::fmod(month, 12) + 12, 12);
    const double days = daysFromCivil(std::trunc(y), m + 1, 1) + std::trunc(day) - 1;
    const double t = days * 86400000.0 + std::trunc(h) * 3600000.0 + std::trunc(mi) * 60000.0 + std::trunc(s) * 1000.0 +
                     std::trunc(ms);
    return std::fabs(t) <= kMaxTime ? t : kNaN;
}

Fields utcFields(double t)
{
    const double days = std::floor(t / 86400000.0);
    double rest = t - days * 86400000.0;
    // civil from days
    const double z = days + 719468;
    const double era = std::floor(z / 146097);
    const double doe = z - era * 146097;
    const double yoe = std::floor((doe - std::floor(doe / 1460) + std::floor(doe / 36524) - std::floor(doe / 146096)) / 365);
    const double doy = doe - (365 * yoe + std::floor(yoe / 4) - std::floor(yoe / 100));
    const double mp = std::floor((5 * doy + 2) / 153);
    const double d = doy - std::floor((153 * mp + 2) / 5) + 1;
    const double m = mp < 10 ? mp + 3 : mp - 9;
    const double y = yoe + era * 400 + (m <= 2);
    Fields f;
    f.year = y;
    f.month = m - 1;
    f.day = d;
    f.hours = std::floor(rest / 3600000.0);
    rest -= f.hours * 3600000.0;
    f.minutes = std::floor(rest / 60000.0);
    rest -= f.minutes * 60000.0;
    f.seconds = std::floor(rest / 1000.0);
    f.ms = rest - f.seconds * 1000.0;
    f.weekday = std::fmod(std::fmod(days + 4, 7) + 7, 7);
    return f;
}

// The local zone's offset from UTC at `t`, milliseconds (positive east).
double zoneOffset(double t)
{
    if (!std::isfinite(t))
        return 0;
    const std::time_t seconds = static_cast<std::time_t>(std::floor(t / 1000));
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return 0;
    return double(local.tm_gmtoff) * 1000.0;
}

Fields fieldsOf(double t, bool utc) { return utcFields(utc ? t : t + zoneOffset(t)); }

double fromFields(const Fields& f, bool utc)
{
    const double local = makeTime(f.year, f.month, f.day, f.hours, f.minutes, f.seconds, f.ms);
    return utc ? local : local - zoneOffset(local - zoneOffset(local));
}

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string two(double v)
{
    const int n = int(v);
    return (n < 10 ? "0" : "") + std::to_string(n);
}

}  // namespace

void installDateClass(Interpreter& in, Object& global)
{
    auto proto = std::make_shared<Object>(false);
    proto->prototype = in.objectPrototype();
    auto getter = [&proto](const std::string& name, bool utc, double Fields::*field, double add = 0) {
        proto->set(name, Value::fromObject(native([utc, field, add](Interpreter&, const Value& self, std::vector<Value>&) {
            const DateState* d = stateOf(self);
            if (!d || !std::isfinite(d->ms))
                return Value::fromNumber(kNaN);
            return Value::fromNumber(fieldsOf(d->ms, utc).*field + add);
        })));
    };
    for (bool utc : {false, true}) {
        const std::string u = utc ? "UTC" : "";
        getter("get" + u + "FullYear", utc, &Fields::year);
        getter("get" + u + "Month", utc, &Fields::month);
        getter("get" + u + "Date", utc, &Fields::day);
        getter("get" + u + "Day", utc, &Fields::weekday);
        getter("get" + u + "Hours", utc, &Fields::hours);
        getter("get" + u + "Minutes", utc, &Fields::minutes);
        getter("get" + u + "Seconds", utc, &Fields::seconds);
        getter("get" + u + "Milliseconds", utc, &Fields::ms);
    }
    getter("getYear", false, &Fields::year, -1900);
    auto method = [&proto](const char* name, NativeFunction fn) { proto->set(name, Value::fromObject(native(std::move(fn)))); };
    method("getTime", [](Interpreter&, const Value& self, std::vector<Value>&) {
        const DateState* d = stateOf(self);
        return Value::fromNumber(d ? d->ms : kNaN);
    });
    method("valueOf", [](Interpreter&, const Value& self, std::vector<Value>&) {
        const DateState* d = stateOf(self);
        return Value::fromNumber(d ? d->ms : kNaN);
    });
    method("getTimezoneOffset", [](Interpreter&, const Value& self, std::vector<Value>&) {
        const DateState* d = stateOf(self);
        return Value::fromNumber(d && std::isfinite(d->ms) ? -zoneOffset(d->ms) / 60000.0 : kNaN);
    });
    method("setTime", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        DateState* d = stateOf(self);
        if (!d)
            return Value{};
        const double t = toNumber(arg(a, 0), in.swfVersion());
        d->ms = std::isfinite(t) && std::fabs(t) <= kMaxTime ? std::trunc(t) : kNaN;
        return Value::fromNumber(d->ms);
    });
    // Setters take the fields from the named one on: setHours(h, m, s, ms).
    auto setter = [&proto](const std::string& name, bool utc, std::vector<double Fields::*> fields) {
        proto->set(name, Value::fromObject(native([utc, fields](Interpreter& in, const Value& self, std::vector<Value>& a) {
            DateState* d = stateOf(self);
            if (!d || a.empty())
                return Value::fromNumber(kNaN);
            Fields f = fieldsOf(std::isfinite(d->ms) ? d->ms : 0, utc);
            for (size_t i = 0; i < fields.size() && i < a.size(); ++i)
                f.*fields[i] = toNumber(a[i], in.swfVersion());
            d->ms = fromFields(f, utc);
            return Value::fromNumber(d->ms);
        })));
    };
    for (bool utc : {false, true}) {
        const std::string u = utc ? "UTC" : "";
        setter("set" + u + "FullYear", utc, {&Fields::year, &Fields::month, &Fields::day});
        setter("set" + u + "Month", utc, {&Fields::month, &Fields::day});
        setter("set" + u + "Date", utc, {&Fields::day});
        setter("set" + u + "Hours", utc,
               {&Fields::hours, &Fields::minutes, &Fields::seconds, &Fields::ms});
        setter("set" + u + "Minutes", utc, {&Fields::minutes, &Fields::seconds, &Fields::ms});
        setter("set" + u + "Seconds", utc, {&Fields::seconds, &Fields::ms});
        setter("set" + u + "Milliseconds", utc, {&Fields::ms});
    }
    method("toString", [](Interpreter&, const Value& self, std::vector<Value>&) {
        const DateState* d = stateOf(self);
        if (!d || !std::isfinite(d->ms))
            return Value::fromString("Invalid Date");
        const Fields f = fieldsOf(d->ms, false);
        const int offset = int(zoneOffset(d->ms) / 60000);
        const int hours = std::abs(offset) / 60, minutes = std::abs(offset) % 60;
        return Value::fromString(std::string(kDays[int(f.weekday)]) + " " + kMonths[int(f.month)] + " " +
                                 std::to_string(int(f.day)) + " " + two(f.hours) + ":" + two(f.minutes) + ":" +
                                 two(f.seconds) + " GMT" + (offset < 0 ? "-" : "+") + two(hours) + two(minutes) + " " +
                                 std::to_string(int(f.year)));
    });
    auto ctor = native([](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        auto state = std::make_shared<DateState>();
        if (a.empty()) {
            state->ms = std::floor(in.host().wallClockMs());
        } else if (a.size() == 1) {
            const double t = toNumber(a[0], in.swfVersion());
            state->ms = std::isfinite(t) && std::fabs(t) <= kMaxTime ? std::trunc(t) : kNaN;
        } else {
            auto n = [&](size_t i, double fallback) { return i < a.size() ? toNumber(a[i], in.swfVersion()) : fallback; };
            double year = n(0, kNaN);
            if (year >= 0 && year <= 99)
                year += 1900;
            state->ms = fromFields({year, n(1, 0), n(2, 1), n(3, 0), n(4, 0), n(5, 0), n(6, 0), 0}, false);
        }
        if (self.type != Value::Type::Object)   // Date() called plainly gives the time as text
            return Value::fromString(std::to_string(int64_t(state->ms)));
        self.object->state = state;
        return Value{};
    });
    ctor->set("prototype", Value::fromObject(proto));
    proto->set("constructor", Value::fromObject(ctor));
    ctor->set("UTC", Value::fromObject(native([](Interpreter& in, const Value&, std::vector<Value>& a) {
        auto n = [&](size_t i, double fallback) { return i < a.size() ? toNumber(a[i], in.swfVersion()) : fallback; };
        double year = n(0, kNaN);
        if (year >= 0 && year <= 99)
            year += 1900;
        return Value::fromNumber(makeTime(year, n(1, 0), n(2, 1), n(3, 0), n(4, 0), n(5, 0), n(6, 0)));
    })));
    global.set("Date", Value::fromObject(ctor));
}

}  // namespace flash::avm1
