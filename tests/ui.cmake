# Filled in as this part of the program grows.
