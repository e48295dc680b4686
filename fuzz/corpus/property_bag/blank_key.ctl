  =x
