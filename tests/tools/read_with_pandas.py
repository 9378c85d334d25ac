"""Reads a CSV that tavrin-ik wrote with pandas.read_csv and nothing else,
as a user would, and prints the column names and the number of rows.

    read_with_pandas.py FILE
"""
import sys

import pandas

table = pandas.read_csv(sys.argv[1])
print(",".join(str(c) for c in table.columns))
print(len(table))
