// Keeps the test host library non-empty until its sources land.
