// The scene's values of pi. They differ on purpose: each is the figure its motion is defined
// with, so that the field and its drift come out the same to the bit everywhere.
#pragma once

// Pi and two pi rounded to float: the ranges the feathers' polar angles are drawn from.
constexpr float FIELD_PI = 3.1415927f;
constexpr float FIELD_TWO_PI = 6.2831855f;

// The drift turns degrees into radians with pi to eight decimals, a little short of pi.
constexpr double DRIFT_PI = 3.14159265;
