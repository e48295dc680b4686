"""The type stubs written from the catalogue describe the module exactly:
every name, every field of every class, every member of every code list."""
import ast
import enum
import pathlib

import pytest

import vireo


@pytest.fixture(scope="module")
def stub():
    path = pathlib.Path(vireo.__file__).with_name("__init__.pyi")
    tree = ast.parse(path.read_text(encoding="utf-8"))
    classes = {node.name: node for node in tree.body if isinstance(node, ast.ClassDef)}
    names = set(classes)
    for node in tree.body:
        if isinstance(node, ast.FunctionDef):
            names.add(node.name)
        elif isinstance(node, ast.AnnAssign):
            names.add(node.target.id)
        elif isinstance(node, ast.ImportFrom) and node.module == "_base":
            names.update(alias.asname for alias in node.names)
    return names, classes


def members(node):
    out = set()
    for item in node.body:
        if isinstance(item, ast.FunctionDef):
            out.add(item.name)
        elif isinstance(item, ast.AnnAssign):
            out.add(item.target.id)
        elif isinstance(item, ast.Assign):
            out.update(t.id for t in item.targets)
    return out - {"__init__", "__enter__", "__exit__", "__len__"}


def public(cls):
    own = set(vars(cls)) if cls is not vireo.Vireo else set(dir(cls))
    return {name for name in own if not name.startswith("_")}


def test_every_public_name_is_in_the_stubs(stub):
    names, _ = stub
    assert names - {"_Handler", "_H", "_S"} == set(vireo.__all__) | {"__version__"}


def test_every_class_is_described_member_for_member(stub):
    _, classes = stub
    for name, node in classes.items():
        cls = getattr(vireo, name)
        if isinstance(cls, enum.EnumMeta):
            assert members(node) == {m.name for m in cls}, name
            assert [int(m) for m in cls] == [ast.literal_eval(i.value) for i in node.body if isinstance(i, ast.Assign)]
        elif issubclass(cls, vireo.Segment) and cls is not vireo.Segment:
            assert members(node) == set(cls.fields) | {"set"}, name
        elif cls is vireo.Segment:
            # The class attributes of every segment class are declared once, here.
            assert members(node) == public(cls) | {"segment_id", "loop", "label", "fields", "control_property"}
        else:
            assert members(node) == public(cls), name


def test_docstrings_name_the_elements(stub):
    _, classes = stub
    clm = {item.name: ast.get_docstring(item) for item in classes["L2300_CLM_00"].body
           if isinstance(item, ast.FunctionDef) and ast.get_docstring(item)}
    assert clm["m0501_FacTypeCode"] == vireo.L2300_CLM_00.m0501_FacTypeCode.__doc__
    assert clm["m0501_FacTypeCode"].startswith("CLM05-1")
