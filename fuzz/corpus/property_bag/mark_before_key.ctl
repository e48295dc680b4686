																	ï»¿							?																				†††††††Jos††††††††																Fil}Na=em"JosÃ© â‚¬ ÿ"
