// The resource libraries carry only their bitmaps; Qt adds them to every program that links one of them.
