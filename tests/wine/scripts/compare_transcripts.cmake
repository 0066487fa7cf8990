cmake_minimum_required(VERSION 3.25)
# placeholder, replaced below
