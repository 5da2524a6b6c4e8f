/* bio2.h */
