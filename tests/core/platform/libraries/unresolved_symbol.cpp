// A library that calls a function nobody defines: the loader must refuse it when it is opened, not when
// the call is first made.
extern "C" int orvendel_nowhere_defined();

extern "C" int orvendel_calls_nowhere()
{
    return orvendel_nowhere_defined() + 1;
}
