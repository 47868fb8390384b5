// Resources built into the program: see the generated tables beside this file.
