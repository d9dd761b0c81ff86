"""The demo game's data generator (see tools/gen_data.py)."""
